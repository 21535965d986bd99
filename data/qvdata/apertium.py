"""The paths through Apertium's bilingual dictionaries (Spanish, Catalan, Esperanto), looked up
with lttoolbox: curated candidates with their parts of speech, and the first choice of those
paths for a part-of-speech line that no other source gives."""

import collections
import concurrent.futures
import os
import re
import subprocess

from qvdata.output import LIST_FILES
from qvdata.ranking import Candidate, pos_fits
from qvdata.text import Cleaner


# Apertium's bilingual dictionaries are curated and carry parts of speech. Three paths lead
# from English to French through them: through Spanish, through Catalan, and through Esperanto
# (whose pair is French-to-Esperanto only, so it is read in reverse for the French words that
# the other sources propose). lttoolbox's bilingual look-up (lt-proc -b) gives every
# translation of a lemma with its tags, in the dictionary's order.
APERTIUM_DIR = "/usr/share/apertium"


APERTIUM_PATHS = {
    "spa": ("apertium-eng-spa/eng-spa.autobil.bin", "apertium-fr-es/es-fr.autobil.bin"),
    "cat": ("apertium-eng-cat/eng-cat.autobil.bin", "apertium-fra-cat/cat-fra.autobil.bin"),
    "epo": ("apertium-eo-en/en-eo.autobil.bin", None),
}


APERTIUM_FRENCH_EO = "apertium-eo-fr/fr-eo.autobil.bin"


APERTIUM_PACKAGES = ["apertium-eng-spa", "apertium-fr-es", "apertium-eng-cat", "apertium-fra-cat",
                     "apertium-eo-en", "apertium-eo-fr"]


# The tags an English lemma is tried with, per part of speech.
APERTIUM_TAGS = {"noun": ["<n>", "<n><sg>"], "verb": ["<vblex>", "<vbser>", "<vbhaver>", "<vbmod>", "<vbdo>"],
                 "adj": ["<adj>", "<adj><sint>"], "adv": ["<adv>", "<preadv>"]}


# French nouns need their gender to be found.
APERTIUM_FRENCH_TAGS = {"noun": ["<n><m>", "<n><f>", "<n><mf>", "<n><m><sp>", "<n><f><sp>"],
                        "verb": ["<vblex>"], "adj": ["<adj>", "<adj><mf>"], "adv": ["<adv>"]}


APERTIUM_POS = {"n": "noun", "vblex": "verb", "vbser": "verb", "vbhaver": "verb",
                "vbmod": "verb", "vbdo": "verb", "vbtr": "verb", "vbntr": "verb",
                "vbtr_ntr": "verb", "adj": "adj", "adv": "adv", "preadv": "adv"}


LT_SPECIAL = re.compile(r"[\^$/<>@\\\[\]{}*#+~|]")


LT_UNIT = re.compile(r"\^([^$]*)\$")


_LT_ANALYSIS = re.compile(r"^([^<]*)((?:<[^>]*>)*)(.*)$")


def apertium_available():
    return all(os.path.exists(os.path.join(APERTIUM_DIR, f))
               for pair in APERTIUM_PATHS.values() for f in pair if f) and \
        os.path.exists(os.path.join(APERTIUM_DIR, APERTIUM_FRENCH_EO))


def lt_bilingual(name, queries):
    """Each (lemma, tags) looked up in a bilingual dictionary: its [(lemma, tags)] translations."""
    text = "\n".join("^%s%s$" % q for q in queries) + "\n"
    out = subprocess.run(["lt-proc", "-b", os.path.join(APERTIUM_DIR, name)],
                         input=text.encode("utf-8"), stdout=subprocess.PIPE, check=True).stdout
    units = LT_UNIT.findall(out.decode("utf-8"))
    if len(units) != len(queries):
        raise RuntimeError("lt-proc: %d answers to %d questions" % (len(units), len(queries)))
    result = []
    for unit in units:
        translations = []
        for alt in unit.split("/")[1:]:
            if not alt or alt.startswith("@"):
                continue
            m = _LT_ANALYSIS.match(alt)
            # A multiword lemma's invariable part follows a "#", before or after the tags
            # ("assister# à<vblex>", "prendre<vblex># part").
            lemma = (m.group(1) + " " + m.group(3)).replace("#", " ")
            lemma = " ".join(lemma.split())
            if lemma and (lemma, m.group(2)) not in translations:
                translations.append((lemma, m.group(2)))
        result.append(translations)
    return result


def pronominal_stem(lemma, tags):
    if "<pron>" in tags and lemma.endswith("se") and len(lemma) > 4:
        return lemma[:-2], tags
    return lemma, tags


# Verbs whose "h" is aspirated keep "se" whole ("se hâter", "se heurter").
_ASPIRATED_H = ("hâter", "heurter", "hasarder", "hisser", "hérisser", "hausser", "haïr",
                "hurler", "harceler", "hérisser", "hucher")


def reflexive(verb):
    """The pronominal infinitive: "se plaindre", "s'étonner"."""
    low = verb.lower()
    if low.startswith(("se ", "s'")):
        return verb
    if low[:1] in "aeiouyàâéèêëîïôûü" or low.startswith("h") and not low.startswith(_ASPIRATED_H):
        return "s'" + verb
    return "se " + verb


def tag_part_of_speech(tags):
    first = tags[1:].split(">", 1)[0] if tags.startswith("<") else ""
    return APERTIUM_POS.get(first)


def apertium_witnesses(wordnet, french_words, french_pos_of, figures):
    """(English key, part of speech) -> Apertium candidates; also notes the part of speech of
    every French word Apertium gives (french_pos_of)."""
    clean = Cleaner(figures)
    queries = sorted({(w, t) for pos, words in wordnet.items() for w in words
                      if not LT_SPECIAL.search(w) for t in APERTIUM_TAGS[pos]})
    out = collections.defaultdict(list)

    def note(key, pos, french, rank, family, first):
        french = clean.french(french, "French equivalents")
        if french is None:
            return
        out[(key, pos)].append(Candidate(french, rank, family, first))
        french_pos_of[french.lower()].add(pos)

    # The look-ups of one stage run side by side (lt-proc is a process of its own).
    with concurrent.futures.ThreadPoolExecutor(max_workers=len(APERTIUM_PATHS)) as pool:
        asked = {lang: pool.submit(lt_bilingual, to_pivot, queries)
                 for lang, (to_pivot, _) in APERTIUM_PATHS.items()}
        middle = {lang: dict(zip(queries, answer.result())) for lang, answer in asked.items()}
        pivots, second = {}, {}
        for lang, (_, to_french) in APERTIUM_PATHS.items():
            if to_french:
                pivots[lang] = sorted({t for ts in middle[lang].values() for t in ts
                                       if not LT_SPECIAL.search(t[0])})
                # Some entries need the number too ("país<n><m><sg>"); a Spanish pronominal
                # verb is found without its "se" ("preguntarse<vblex><pron>").
                asked_as = [pronominal_stem(w, t) for w, t in pivots[lang]]
                second[lang] = pool.submit(lt_bilingual, to_french, asked_as + [
                    (w, t + "<sg>") for w, t in asked_as])
        second = {lang: answer.result() for lang, answer in second.items()}
    # Spanish and Catalan to French.
    for lang in sorted(second):
        pivots_of_lang, answers = pivots[lang], second[lang]
        french_of = {}
        for n, pivot in enumerate(pivots_of_lang):
            french_of[pivot] = answers[n] + [a for a in answers[n + len(pivots_of_lang)]
                                             if a not in answers[n]]
        for (english, tags), translations in middle[lang].items():
            pos = tag_part_of_speech(tags)
            for i, pivot in enumerate(translations):
                for j, (french, ftags) in enumerate(french_of.get(pivot, ())):
                    if tag_part_of_speech(ftags) == pos:
                        # A verb the pivot marks pronominal in this sense is pronominal in
                        # French too ("wonder" -> "preguntarse" -> "se demander").
                        if pos == "verb" and ("<pron>" in pivot[1] or "<pron>" in ftags):
                            french = reflexive(french)
                            figures.add("pronominal verbs from Apertium")
                        note(english, pos, french, (3, i, j), "A:" + lang, i == 0 and j == 0)
    # Esperanto to French: the French words proposed so far, looked up in French-to-Esperanto.
    candidates = set(french_words) | {c.french for cs in out.values() for c in cs}
    fr_queries = []
    for french in sorted(candidates):
        bare = re.sub(r"\s*\([^)]*\)", "", french).strip()
        if not bare or LT_SPECIAL.search(bare):
            continue
        for pos in sorted(french_pos_of.get(bare.lower(), ()) or LIST_FILES):
            for tags in APERTIUM_FRENCH_TAGS[pos]:
                fr_queries.append((bare, tags))
    french_of_eo = collections.defaultdict(list)
    for (french, tags), translations in zip(fr_queries, lt_bilingual(APERTIUM_FRENCH_EO, fr_queries)):
        pos = tag_part_of_speech(tags)
        for eo, eo_tags in translations:
            if tag_part_of_speech(eo_tags) == pos and french not in french_of_eo[(eo, pos)]:
                french_of_eo[(eo, pos)].append(french)
    for (english, tags), translations in middle["epo"].items():
        pos = tag_part_of_speech(tags)
        for i, (eo, eo_tags) in enumerate(translations):
            frenches = sorted(french_of_eo.get((eo, pos), ()))
            for j, french in enumerate(frenches):
                note(english, pos, french, (3, i, j), "A:epo", i == 0 and len(frenches) == 1)
    figures.add("Apertium (word, part of speech) pairs", len(out))
    return out


def fill_pos_lines(by_pos, apertium, wordnet, figures):
    """A part of speech that no other source gives a line ("house" as a verb) takes the first
    choice of the Apertium paths for it."""
    for (key, pos), candidates in sorted(apertium.items()):
        if key in by_pos[pos] or key not in wordnet[pos]:
            continue
        firsts = [c for c in candidates if c.first and pos_fits(pos, c.french)]
        if firsts:
            by_pos[pos][key].extend(firsts)
            figures.add("part-of-speech lines from one Apertium path")
