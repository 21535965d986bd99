#!/usr/bin/env python3
"""Builds QV's dictionary data from open sources installed as Debian (and npm) packages.

Writes:
  BLOCKS/dict223.bin .. dict235.bin   the built-in English->French blocks (Windows-1252, CR LF)
  HOME/dict/qvdict.catalog            initial letter -> block, "other", "qv_language"
  HOME/dict/qv.vrb qv.nn qv.dj qv.dv  French translations per part of speech (ISO 8859-1)
  HOME/dict/qvprn.catalog, prn-*.txt  pronunciations in the guide's symbols (UTF-8)
  HOME/dict/<WordNet files>           links to the WordNet 3.0 database
  HOME/dict/LICENSES.txt              the licence notices of every source
  HOME/dict/figures.txt               what was kept, transliterated and dropped

Python 3 standard library only.
"""

import argparse
import collections
import concurrent.futures
import ctypes
import ctypes.util
import difflib
import gzip
import os
import re
import subprocess
import sys
import unicodedata

from qvdata import reviewed_lexicon

# Block number -> the initial letters it holds; None is the block for every other character.
BLOCKS = [
    (223, "a"), (224, "qr"), (225, None), (226, "op"), (227, "lmn"), (228, "fg"), (229, "de"),
    (230, "hijk"), (231, "c"), (232, "b"), (233, "vwxyz"), (234, "tu"), (235, "s"),
]
OTHER_BLOCK = 225
LANGUAGE_LABEL = "FR"
MAX_EQUIVALENTS = 12

LIST_FILES = {"verb": "qv.vrb", "noun": "qv.nn", "adj": "qv.dj", "adv": "qv.dv"}
WORDNET_POS_FILES = {"verb": "index.verb", "noun": "index.noun", "adj": "index.adj",
                     "adv": "index.adv"}
SOURCE_POS = {"v": "verb", "vt": "verb", "vi": "verb", "n": "noun", "n, masc": "noun",
              "n, fem": "noun", "adj": "adj", "adv": "adv"}

# FreeDict's domain labels, in the short French form the dictionary uses.
DOMAIN_LABELS = {"cul": "cu", "med": "méd", "mus": "mus", "geol": "géol", "cine": "ciné",
                 "bot": "bot", "zool": "zoo", "mil": "mil", "jur": "jur", "fin": "fin"}

# ARPAbet (CMUdict) -> the pronunciation guide's symbols. The guide has no symbol of its own for
# four sounds; each takes the nearest one:
#   AH0 (schwa, "about")        -> ʌ   the guide's mid central vowel ("Under")
#   EH  (open-mid e, "bed")     -> ɛə  the guide's only symbol that starts on that vowel ("fAIR")
#   IH  (near-close i, "bit")   -> i   the guide's short i ("anY, verY")
#   IY0 at the end of a word    -> i   the guide's unstressed final i ("anY, verY")
# and one context: IH or IY before R is the centring diphthong ɪə ("clEAR").
ARPABET = {
    "AA": "aː", "AE": "æ", "AH": "ʌ", "AO": "ɔː", "AW": "aʊ", "AY": "aɪ", "B": "b", "CH": "tʃ",
    "D": "d", "DH": "ð", "EH": "ɛə", "ER": "ɚ", "EY": "eɪ", "F": "f", "G": "g", "HH": "h",
    "IH": "i", "IY": "iː", "JH": "dʒ", "K": "k", "L": "l", "M": "m", "N": "n", "NG": "ŋ",
    "OW": "oʊ", "OY": "oɪ", "P": "p", "R": "r", "S": "s", "SH": "ʃ", "T": "t", "TH": "θ",
    "UH": "ʊ", "UW": "uː", "V": "v", "W": "w", "Y": "y", "Z": "z", "ZH": "ʒ",
}
VOWELS = {"AA", "AE", "AH", "AO", "AW", "AY", "EH", "ER", "EY", "IH", "IY", "OW", "OY", "UH", "UW"}
PRIMARY, SECONDARY = "ˈ", "ˌ"
# Consonant clusters that may open an English syllable; a stress mark goes before the longest
# one that ends right before the stressed vowel.
ONSETS = {tuple(o.split()) for o in (
    "P R|P L|B R|B L|T R|D R|K R|K L|G R|G L|F R|F L|TH R|SH R|S P|S T|S K|S M|S N|S L|S W|T W|"
    "D W|K W|G W|P Y|B Y|K Y|F Y|M Y|HH Y|V Y|TH W|S F|S P R|S P L|S T R|S K R|S K W|S K L|S P Y|"
    "S K Y").split("|")}

# Characters Windows-1252 lacks, and what they become.
TRANSLITERATE = {"\u2010": "-", "\u2011": "-", "\u2012": "-", "\u2015": "-", "\u2212": "-",
                 "\u00a0": " ", "\u2009": " ", "\u202f": " ", "\u2032": "'", "\u02bc": "'"}

KEY_CHARS = re.compile(r"^[a-z0-9àâäçéèêëîïôöùûüÿñæœ][a-z0-9àâäçéèêëîïôöùûüÿñæœ '.\-/]*\*?$")


class Figures:
    def __init__(self):
        self.counts = collections.Counter()

    def add(self, name, n=1):
        self.counts[name] += n


# --- Sources ---------------------------------------------------------------------------------

_B64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"


def _b64(text):
    value = 0
    for c in text:
        value = value * 64 + _B64.index(c)
    return value


_DICTD_CACHE = {}


def read_dictd(dictd_dir, name):
    """The entries of a dictd database: (headword line, [sense lines]). The French-to-X
    databases are read by several steps: each is decoded once."""
    key = (dictd_dir, name)
    if name not in FRENCH_TAGGED:  # read once
        return _read_dictd(dictd_dir, name)
    if key not in _DICTD_CACHE:
        _DICTD_CACHE[key] = list(_read_dictd(dictd_dir, name))
    return _DICTD_CACHE[key]


def _read_dictd(dictd_dir, name):
    data = gzip.open(os.path.join(dictd_dir, name + ".dict.dz")).read()
    with open(os.path.join(dictd_dir, name + ".index"), encoding="utf-8") as index:
        for line in index:
            headword, offset, length = line.rstrip("\n").split("\t")
            if headword.startswith("00database"):
                continue
            start = _b64(offset)
            text = data[start:start + _b64(length)].decode("utf-8")
            lines = [l.strip() for l in text.split("\n") if l.strip()]
            if lines:
                yield lines[0], lines[1:]


_HEAD = re.compile(r"^(.*?)(?:\s+/[^/]*/)?(?:\s+<([^>]*)>)?\s*$")
_SENSE = re.compile(r"^(?:\d+\.\s*)?(?:\[([^\]]*)\]\s*)?(.*)$")


def parse_entry(head, senses):
    """(headword, part-of-speech tag or None, [(domain label or None, [equivalents])])."""
    m = _HEAD.match(head)
    word, pos = m.group(1).strip(), m.group(2)
    out = []
    for sense in senses:
        s = _SENSE.match(sense)
        label, text = s.group(1), s.group(2)
        equivalents = [e.strip() for e in text.split(",") if e.strip()]
        if equivalents:
            out.append((label, equivalents))
    return word, pos, out


def read_wordnet_lemmas(wordnet_dir):
    lemmas = {}
    for pos, name in WORDNET_POS_FILES.items():
        words = set()
        with open(os.path.join(wordnet_dir, name), encoding="latin-1") as f:
            for line in f:
                if not line.startswith(" "):
                    words.add(line.split(" ", 1)[0].replace("_", " "))
        lemmas[pos] = words
    return lemmas


# --- Text ------------------------------------------------------------------------------------

def to_cp1252(text, figures, what):
    """The text as Windows-1252 can hold it, or None; transliterations and losses are counted."""
    try:
        text.encode("cp1252")
        return text
    except UnicodeEncodeError:
        pass
    out = "".join(TRANSLITERATE.get(c, c) for c in text)
    try:
        out.encode("cp1252")
    except UnicodeEncodeError:
        decomposed = unicodedata.normalize("NFKD", out)
        out = "".join(c for c in decomposed if not unicodedata.combining(c))
        out = unicodedata.normalize("NFC", out)
        try:
            out.encode("cp1252")
        except UnicodeEncodeError:
            figures.add(what + " dropped (not Windows-1252)")
            return None
    figures.add(what + " transliterated")
    return out


def clean_french(text, figures, what):
    text = re.sub(r"\s+/[^/]*/", "", text)  # a pronunciation ("Mexico /me.ksi.ko/")
    text = re.sub(r"\s+", " ", text).strip()
    if not text or "=" in text:
        return None
    return to_cp1252(text, figures, what)


def clean_key(text, figures):
    key = re.sub(r"\s+", " ", text).strip().lower()
    key = to_cp1252(key, figures, "key")
    if key is None or not KEY_CHARS.match(key):
        figures.add("keys dropped (characters)")
        return None
    return key


def domain_label(label):
    if not label:
        return ""
    label = label.strip().lower()
    return " (%s)" % DOMAIN_LABELS.get(label, label)


# --- Translations ----------------------------------------------------------------------------

class Candidate:
    """A French equivalent of an English key: the path that leads to it (its family: "E" the
    English-French dictionary, "R" the French-English one read in reverse, "P:deu" FreeDict
    through German, "A:spa" Apertium through Spanish, ...), its place on that path, and whether
    it is that path's first choice."""

    __slots__ = ("french", "rank", "family", "first")

    def __init__(self, french, rank, family="E", first=False):
        self.french = french
        self.rank = rank
        self.family = family
        self.first = first


def collect(freedict_dir, wordnet, figures):
    """English key -> ranked French equivalents, and part of speech -> key -> equivalents."""
    main = collections.defaultdict(list)
    by_pos = {pos: collections.defaultdict(list) for pos in LIST_FILES}

    # English -> French: every sense in order, the sense number ranks it.
    for head, senses in read_dictd(freedict_dir, "freedict-eng-fra"):
        word, _, parsed = parse_entry(head, senses)
        figures.add("eng-fra headwords")
        key = clean_key(word, figures)
        if key is None:
            continue
        pos_of_word = [p for p in LIST_FILES if key in wordnet[p]]
        for n, (label, equivalents) in enumerate(parsed):
            for k, french in enumerate(equivalents):
                french = clean_french(french + domain_label(label), figures, "French equivalents")
                if french is None:
                    continue
                c = Candidate(french, (0, n, k), "E", n == 0 and k == 0)
                main[key].append(c)
                # The source has no part-of-speech tags: a word that WordNet knows in one part
                # of speech only gives its translations to that list.
                if len(pos_of_word) == 1 and pos_fits(pos_of_word[0], french):
                    by_pos[pos_of_word[0]][key].append(c)

    # French -> English read in reverse: each English equivalent becomes a key.
    for head, senses in read_dictd(freedict_dir, "freedict-fra-eng"):
        word, tag, parsed = parse_entry(head, senses)
        figures.add("fra-eng headwords")
        pos = SOURCE_POS.get(tag or "")
        for n, (label, equivalents) in enumerate(parsed):
            french = clean_french(word + domain_label(label), figures, "French equivalents")
            if french is None:
                continue
            for g, english in enumerate(equivalents):
                english = re.sub(r"\([^)]*\)", " ", english)
                if english.lower().startswith("to "):
                    english = english[3:]
                key = clean_key(english, figures)
                if key is None or len(key.split()) > 4:
                    continue
                # The English word as the first gloss of the French word's first sense is a near
                # equivalent; further down it is often a distant or figurative one.
                c = Candidate(french, (1, n, g, len(equivalents)), "R", n == 0 and g == 0)
                main[key].append(c)
                if pos:
                    if key in wordnet[pos]:
                        by_pos[pos][key].append(c)
                    else:
                        figures.add("part-of-speech pairs not in WordNet")
    return main, by_pos


# --- Translations through a third language -------------------------------------------------
#
# FreeDict has richer dictionaries between English and other languages, and between those
# languages and French, than between English and French. An English word that the direct
# sources do not know gets the French words that at least PIVOT_SUPPORT different languages
# lead to (English -> German -> French, English -> Italian -> French, ...): one path alone is
# too often another sense of an ambiguous word.
PIVOTS = {  # language: (English -> it, it -> French, French -> it read in reverse)
    "deu": ("freedict-eng-deu", "freedict-deu-fra", "freedict-fra-deu"),
    "ita": ("freedict-eng-ita", None, "freedict-fra-ita"),
    "spa": ("freedict-eng-spa", None, "freedict-fra-spa"),
    "por": ("freedict-eng-por", None, "freedict-fra-por"),
    "pol": ("freedict-eng-pol", None, "freedict-fra-pol"),
    "swe": ("freedict-eng-swe", None, "freedict-fra-swe"),
    "nld": ("freedict-eng-nld", "freedict-nld-fra", "freedict-fra-nld"),
}
PIVOT_SUPPORT = 2
PIVOT_EQUIVALENTS = 4
MAX_PHRASE_WORDS = 3
_INLINE_TAG = re.compile(r"<[^>]*>|\{[^}]*\}|\([^)]*\)|\[[^\]]*\]")


_RUN_TOGETHER = re.compile(r"\s+(?:\d+|[IVX]+)\.\s+")
_LEADING_NUMBER = re.compile(r"^(?:[IVX]+\.|\d+\.)\s*")
_TRAILING_NUMBER = re.compile(r"\s+(?:\d+|[IVX]+)\.$")
_NOTE = re.compile(r"^(see|synonym|note|antonym|example|usage)s?:", re.I)
_SPACES = re.compile(r"\s+")


def plain_equivalents(senses, limit):
    """Equivalents of an entry's translation lines; glosses, cross-references and notes skipped."""
    out = []
    # Some lines run several numbered senses together: "1. programme 2. émission".
    senses = [part for sense in senses for part in _RUN_TOGETHER.split(sense)]
    for sense in senses:
        sense = _TRAILING_NUMBER.sub("", _LEADING_NUMBER.sub("", sense))
        if ":" in sense or ";" in sense or _NOTE.match(sense):
            continue
        for e in sense.split(","):
            e = _SPACES.sub(" ", _INLINE_TAG.sub(" ", e)).strip()
            if e and len(e.split()) <= MAX_PHRASE_WORDS and "/" not in e:
                out.append(e)
    seen, unique = set(), []
    for e in out:
        if e.lower() not in seen:
            seen.add(e.lower())
            unique.append(e)
    return unique[:limit]


def headword_of(head):
    return _HEAD.match(head).group(1).strip()


def pivot_support(freedict_dir, figures):
    """English key -> French -> the pivot languages that lead to it, and the languages for which
    it is the first choice (first word of the first sense, and that word's first French)."""
    support = collections.defaultdict(lambda: collections.defaultdict(set))
    first_choice = collections.defaultdict(lambda: collections.defaultdict(set))
    for lang, (eng_x, x_fra, fra_x) in PIVOTS.items():
        if not os.path.exists(os.path.join(freedict_dir, eng_x + ".index")):
            continue
        figures.add("pivot languages")
        to_french = collections.defaultdict(list)  # word in lang (lower case) -> French
        if x_fra and os.path.exists(os.path.join(freedict_dir, x_fra + ".index")):
            for head, senses in read_dictd(freedict_dir, x_fra):
                word = headword_of(head).lower()
                to_french[word].extend(plain_equivalents(senses, 6))
        if fra_x and os.path.exists(os.path.join(freedict_dir, fra_x + ".index")):
            for head, senses in read_dictd(freedict_dir, fra_x):
                french = headword_of(head)
                for word in plain_equivalents(senses, 6):
                    to_french[word.lower()].append(french)
        for head, senses in read_dictd(freedict_dir, eng_x):
            english = headword_of(head)
            if len(english.split()) > MAX_PHRASE_WORDS:
                continue
            key = english.lower()
            for i, word in enumerate(plain_equivalents(senses, 4)):
                for j, french in enumerate(to_french.get(word.lower(), ())[:6]):
                    support[key][french].add(lang)
                    if i == 0 and j == 0:
                        first_choice[key][french].add(lang)
    return support, first_choice


def add_witnesses(main, by_pos, pivots, apertium, wordnet, figures):
    """Adds the paths through other languages. On a word the direct dictionaries know, they
    support the equivalents those give and add the ones that at least two paths agree on; a
    word the direct dictionaries lack gets the French words that at least two paths agree on
    (or, for a WordNet lemma, the first choice through German, the largest of them)."""
    support, first_choice = pivots
    lemmas = set().union(*wordnet.values())
    keys = set(support) | {key for key, _ in apertium}
    for english in sorted(keys):
        key = clean_key(english, figures)
        if key is None:
            continue
        known = key in main
        # French -> candidates of every path, any part of speech
        found = collections.defaultdict(list)
        for french, langs in support.get(english, {}).items():
            french = clean_french(french, figures, "French equivalents")
            if french is None:
                continue
            for lang in sorted(langs):
                found[french].append(Candidate(french, (2, 0, 0), "P:" + lang,
                                               lang in first_choice[english].get(french, ())))
        tagged = collections.defaultdict(list)  # part of speech -> Apertium candidates
        for pos in LIST_FILES:
            for c in apertium.get((key, pos), ()):
                found[c.french].append(c)
                tagged[pos].append(c)
        existing = {c.french for c in main.get(key, ())}
        admitted = set()
        for french, cs in found.items():
            if french in existing or len({c.family for c in cs}) >= PIVOT_SUPPORT:
                admitted.add(french)
        if not known and not admitted and key in lemmas:
            # A common word that no two paths agree on takes what Apertium's curated paths
            # give for its first sense; one FreeDict dictionary through a third language alone is too
            # often another sense of an ambiguous word ("posse" -> "Trupp" -> "soc").
            firsts = sorted(f for f, cs in found.items()
                            if any(c.family.startswith("A:") and c.rank[1] == 0 or
                                   c.family == "P:deu" and c.first and cognate(english, f)
                                   for c in cs))[:2]
            admitted.update(firsts)
            if firsts:
                figures.add("keys from Apertium's first choice alone")
        if not admitted:
            continue
        if not known:
            figures.add("keys from other languages")
        for french in sorted(admitted):
            main[key].extend(found[french])
        for pos, cs in tagged.items():
            for c in cs:
                if c.french in admitted and key in wordnet[pos] and pos_fits(pos, c.french):
                    by_pos[pos][key].append(c)


def cognate(english, french):
    """Whether a French word looks like the English one ("technical", "technique"): what
    confirms a path through one third language alone."""
    def plain(text):
        text = unicodedata.normalize("NFKD", text.lower())
        return "".join(c for c in text if c.isalpha())
    a, b = plain(english), plain(french)
    return len(a) >= 4 and a[:3] == b[:3] and \
        difflib.SequenceMatcher(None, a, b).ratio() >= 0.6


# American spellings and the British ones FreeDict often has alone ("neighbor", "neighbour").
_SPELLINGS = [(r"or(?=[a-z]*$)", "our"), (r"iz(?=e|es|ed|ing|ation|er)", "is"),
              (r"yz(?=e|es|ed|ing)", "ys"), (r"er$", "re"), (r"og$", "ogue"), (r"^gray", "grey")]


def add_spelling_variants(main, by_pos, wordnet, figures):
    """A word in one spelling that no source translates takes the lines of its other spelling."""
    for key in sorted(set().union(*wordnet.values())):
        if key in main or " " in key:
            continue
        for pattern, replacement in _SPELLINGS:
            matches = list(re.finditer(pattern, key))
            if not matches:
                continue
            m = matches[-1]
            other = key[:m.start()] + replacement + key[m.end():]
            if other in main:
                main[key] = list(main[other])
                for pos, table in by_pos.items():
                    if other in table and key in wordnet[pos] and key not in table:
                        table[key] = list(table[other])
                figures.add("keys from their other spelling")
                break


def add_proper_nouns(main, wordnet_dir, figures):
    """A name that no source translates keeps its own spelling ("Chicago", "Ohio"): a noun
    that WordNet writes with a capital in every synset it is in."""
    spellings = collections.defaultdict(set)
    with open(os.path.join(wordnet_dir, "data.noun"), encoding="latin-1") as f:
        for line in f:
            if line.startswith(" "):
                continue
            parts = line.split(" ")
            count = int(parts[3], 16)
            for word in parts[4:4 + 2 * count:2]:
                word = word.replace("_", " ")
                spellings[word.lower()].add(word)
    for key, forms in sorted(spellings.items()):
        if key in main or len(forms) != 1:
            continue
        (form,) = forms
        if form[:1].isupper() and form[1:].islower() and " " not in form and KEY_CHARS.match(key):
            main[key].append(Candidate(form, (4, 0, 0), "N", True))
            figures.add("keys of names kept as they are spelt")


# --- Apertium ----------------------------------------------------------------------------------
#
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
_LT_SPECIAL = re.compile(r"[\^$/<>@\\\[\]{}*#+~|]")
_LT_UNIT = re.compile(r"\^([^$]*)\$")
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
    units = _LT_UNIT.findall(out.decode("utf-8"))
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
    queries = sorted({(w, t) for pos, words in wordnet.items() for w in words
                      if not _LT_SPECIAL.search(w) for t in APERTIUM_TAGS[pos]})
    out = collections.defaultdict(list)

    def note(key, pos, french, rank, family, first):
        french = clean_french(french, figures, "French equivalents")
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
                                       if not _LT_SPECIAL.search(t[0])})
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
        if not bare or _LT_SPECIAL.search(bare):
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


# --- Part-of-speech lists from every translation ---------------------------------------------
#
# The French headwords of FreeDict's French-to-X dictionaries carry part-of-speech tags. A French
# equivalent of an English word goes to a list when the French word has that part of speech in
# one of them and WordNet has the English word in the same part of speech.
FRENCH_TAGGED = ["freedict-fra-eng", "freedict-fra-deu", "freedict-fra-ita", "freedict-fra-spa",
                 "freedict-fra-por", "freedict-fra-pol", "freedict-fra-swe", "freedict-fra-nld"]


def tag_pos(tag):
    """A FreeDict tag ("n, masc", "adj, fem", "vt") as one of the lists' parts of speech."""
    if not tag:
        return None
    head = tag.split(",")[0].strip()
    return {"v": "verb", "vt": "verb", "vi": "verb", "n": "noun", "adj": "adj",
            "adv": "adv"}.get(head)


def read_french_pos(freedict_dir):
    pos_of = collections.defaultdict(set)
    for name in FRENCH_TAGGED:
        if not os.path.exists(os.path.join(freedict_dir, name + ".index")):
            continue
        for head, _ in read_dictd(freedict_dir, name):
            m = _HEAD.match(head)
            pos = tag_pos(m.group(2))
            if pos:
                pos_of[m.group(1).strip().lower()].add(pos)
    return pos_of


def french_pos(french, pos_of):
    bare = re.sub(r"\s*\([^)]*\)$", "", french).strip().lower()
    found = set(pos_of.get(bare, ()))
    if bare.startswith("se ") or bare.startswith("s'"):
        found.add("verb")  # a reflexive infinitive
    return found


def add_tagged_pos(main, by_pos, wordnet, pos_of, figures):
    for key, candidates in main.items():
        english_pos = [p for p in LIST_FILES if key in wordnet[p]]
        if not english_pos:
            continue
        for c in candidates:
            if c.family.startswith("A:"):
                continue  # Apertium's candidates came with their part of speech
            for pos in french_pos(c.french, pos_of).intersection(english_pos):
                if pos_fits(pos, c.french):
                    by_pos[pos][key].append(c)
                    figures.add("part-of-speech pairs from French tags")


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


# --- Numbers -----------------------------------------------------------------------------------
# Figures are words too ("24", "100"): their French names, in the traditional spelling
# ("vingt et un", "quatre-vingts", "deux cents", hyphens only below one hundred).
_UNITS = ["zéro", "un", "deux", "trois", "quatre", "cinq", "six", "sept", "huit", "neuf", "dix",
          "onze", "douze", "treize", "quatorze", "quinze", "seize"]
_TENS = {20: "vingt", 30: "trente", 40: "quarante", 50: "cinquante", 60: "soixante"}


def french_number(n):
    if n <= 16:
        return _UNITS[n]
    if n < 20:
        return "dix-" + _UNITS[n - 10]
    if n < 70:
        tens, unit = n // 10 * 10, n % 10
        if unit == 0:
            return _TENS[tens]
        return _TENS[tens] + (" et un" if unit == 1 else "-" + _UNITS[unit])
    if n < 80:
        return "soixante" + (" et onze" if n == 71 else "-" + french_number(n - 60))
    if n < 100:
        return "quatre-vingt" + ("s" if n == 80 else "-" + french_number(n - 80))
    if n < 1000:
        hundreds, rest = divmod(n, 100)
        head = "cent" if hundreds == 1 else _UNITS[hundreds] + " cent" + ("" if rest else "s")
        return head + ("" if rest == 0 else " " + french_number(rest))
    if n < 1000000:
        thousands, rest = divmod(n, 1000)
        head = "mille" if thousands == 1 else french_number(thousands) + " mille"
        return head + ("" if rest == 0 else " " + french_number(rest))
    return None


def add_numbers(main, figures):
    for n in list(range(0, 101)) + [200, 300, 400, 500, 1000, 2000, 10000, 100000]:
        # The figure, and the compound names of numbers in words ("twenty-five").
        names = english_number(n)
        for key in [str(n)] + (["-".join(names)] if len(names) == 2 and n < 100 else []):
            if key not in main:
                main[key].append(Candidate(french_number(n), (3, 0, 0), "N", True))
                figures.add("keys for figures")


def pos_fits(pos, french):
    """French verbs are given in the infinitive; anything else is not a verb's translation."""
    if pos != "verb":
        return True
    # The verb of a phrase comes first, after its pronouns: "se plaindre", "s'en aller",
    # "être couché", "prendre part".
    words = re.sub(r"^(?:se |s')(?:en |y )?", "", re.sub(r"\s*\([^)]*\)$", "", french),
                   flags=re.I).split(" ")
    return bool(re.search(r"(er|ir|re|ïr)$", words[0]))


# What a path's agreement weighs, and what its first choice adds. FreeDict's pivot paths weigh
# less: they often reach French through a reverse reading of their own, and they are many.
FAMILY_WEIGHT = {"E": 1.5, "R": 1.0, "A": 2.0, "N": 1.0}
PIVOT_WEIGHT, PIVOT_WEIGHT_MAX = 0.4, 1.5
APERTIUM_ROMANCE, ROMANCE_OVERLAP = {"A:spa", "A:cat"}, 0.75
FIRST_WEIGHT = {"E": 0.5, "R": 0.25, "A": 0.5, "P": 0.25, "N": 0.0}
# An equivalent that only the reverse reading of a distant gloss reaches scores below this.
DISTANT_READING = 0.2


def scored(candidates):
    """French -> (score, order): a French word that more independent paths lead to scores
    higher; being a path's first choice adds a little. A word that only the reverse reading
    reaches scores lowest, and lower still when the English word was a distant gloss of it."""
    by_french = collections.defaultdict(list)
    for c in candidates:
        by_french[c.french].append(c)
    out = {}
    for french, cs in by_french.items():
        families = {c.family for c in cs}
        firsts = {c.family for c in cs if c.first}
        if families <= {"R"}:
            score = 0.5 if firsts else 0.1
        else:
            pivots = sum(1 for f in families if f.startswith("P:"))
            # Spanish and Catalan share their ambiguities ("house" -> "cámara", "cambra" ->
            # "caméra"): together they count for one path and a half.
            romance = APERTIUM_ROMANCE <= families
            score = sum(FAMILY_WEIGHT[f.split(":")[0]] for f in families if not f.startswith("P:")) \
                - ROMANCE_OVERLAP * romance \
                + sum(FIRST_WEIGHT[f.split(":")[0]] for f in firsts if not f.startswith("P:")) \
                + min(PIVOT_WEIGHT * pivots, PIVOT_WEIGHT_MAX) \
                + (FIRST_WEIGHT["P"] if any(f.startswith("P:") for f in firsts) else 0)
        out[french] = (score, min(c.rank for c in cs), all(distant(c) for c in cs))
    return out


def distant(c):
    """Whether a candidate is reached only through a chain of later choices: a French word whose
    English gloss was not its first ("monter" ... "climb" in third place), or a path through a
    later sense of a word in the middle ("house" -> "cámara" -> "caméra")."""
    return c.family not in ("E", "N") and not c.first


def ranked(candidates, limit):
    """The French equivalents, best first. An equivalent is left out only when a rule finds it
    wrong, never for weak support alone (a usual word often has one witness: trail -> piste):
    a word that only chains of later choices reach, whatever their number, and a reverse reading
    of a distant gloss, when a word that two paths agree on is there."""
    scores = scored(candidates)
    best = max((s for s, _, _ in scores.values()), default=0)
    reached = not all(chained for _, _, chained in scores.values())
    keep = [f for f, (s, _, chained) in scores.items()
            if not (chained and reached or s < DISTANT_READING and best >= 2)]
    keep.sort(key=lambda f: (-scores[f][0], scores[f][1], f))
    if not reached:
        keep = keep[:1]  # chains alone: their best link, not their long tail
    # Of two spellings that differ in capitals only ("Église", "église"), the better one.
    seen = set()
    unique = []
    for f in keep:
        if f.lower() not in seen:
            seen.add(f.lower())
            unique.append(f)
    return unique[:limit]


# --- Only French in the French lines ----------------------------------------------------------

_ELISION = re.compile(r"^(?:l|d|s|j|m|t|n|c|qu|jusqu|lorsqu|puisqu|presqu)['’](.+)$")


def read_french_words(path):
    words = set()
    if path and os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                words.add(line.strip().lower().replace("œ", "oe").replace("æ", "ae"))
    return words


def is_french(text, words):
    """Whether every word of an equivalent is a French word (or a proper name, a figure); its
    labels in parentheses and asterisks are not looked at."""
    bare = re.sub(r"\([^)]*\)", " ", text).replace("*", " ")
    tokens = [t.strip(".,;:!?\"«»…") for t in bare.split()]
    for token in tokens:
        m = _ELISION.match(token.lower())
        if m:
            token = token[len(token) - len(m.group(1)):]
        if not token or token[0].isupper() or token.isdigit():
            continue
        t = token.lower().replace("œ", "oe").replace("æ", "ae").replace("’", "'")
        if t in words or all(p in words or p == "" for p in re.split(r"[-']", t)):
            continue
        return False
    return True


def keep_french(main, by_pos, words, dict_dir, figures):
    """Drops the equivalents that are not French words; lists them in not-french.txt."""
    if not words:
        return
    verdict = {}
    dropped = collections.Counter()
    for table in [main] + list(by_pos.values()):
        for key in list(table):
            kept = []
            for c in table[key]:
                if c.french not in verdict:
                    verdict[c.french] = is_french(c.french, words)
                if verdict[c.french]:
                    kept.append(c)
                elif table is main:
                    dropped[c.french] += 1
            if kept:
                table[key] = kept
            else:
                del table[key]
    figures.add("French equivalents dropped (not in the French word list)", len(dropped))
    write_if_changed(os.path.join(dict_dir, "not-french.txt"),
                     "".join("%s\n" % f for f in sorted(dropped)).encode("utf-8"))


def read_pos_frequencies(wordnet_dir):
    """Lemma -> part of speech -> how often the sense-tagged texts use it in that part."""
    out = collections.defaultdict(collections.Counter)
    names = {"1": "noun", "2": "verb", "3": "adj", "4": "adv", "5": "adj"}
    path = os.path.join(wordnet_dir, "cntlist.rev")
    if os.path.exists(path):
        with open(path, encoding="latin-1") as f:
            for line in f:
                parts = line.split()
                if len(parts) == 3 and "%" in parts[0]:
                    lemma, rest = parts[0].split("%", 1)
                    out[lemma.replace("_", " ")][names.get(rest[:1])] += int(parts[2])
    return out


def drop_weak_inflected(main, by_pos, morphology, figures):
    """A word whose own line rests on weak paths only (one pivot dictionary, reverse readings of
    a distant gloss: "bigger" -> "strictement supérieur") while it is an inflected form of a word
    with a sound line ("big") loses its line: the look-up then shows the base form's French. A
    line that a direct dictionary or Apertium gives stays ("glasses" -> "lunettes")."""
    strong = {}

    def is_strong(table, key):
        if (id(table), key) not in strong:
            cs = table.get(key, ())
            strong[(id(table), key)] = any(
                c.family in ("E", "N") or c.family.startswith("A:") or c.family == "R" and c.first
                for c in cs) or len({c.family for c in cs if c.family.startswith("P:")}) >= 2
        return strong[(id(table), key)]

    for key in sorted(main):
        if " " in key or is_strong(main, key):
            continue
        bases = {b for pos in LIST_FILES for b in morphology.base_forms(key, pos)} - {key}
        if any(is_strong(main, b) for b in bases):
            del main[key]
            figures.add("weak lines of inflected forms dropped")
    for pos, table in by_pos.items():
        for key in sorted(table):
            if " " in key or is_strong(table, key):
                continue
            if any(is_strong(table, b) for b in set(morphology.base_forms(key, pos)) - {key}):
                del table[key]
                figures.add("weak lines of inflected forms dropped")


def main_lines(main, lines, pos_frequency):
    """Key -> the main line's equivalents: the first French of the word's most used part of
    speech leads, the others follow by score."""
    out = {}
    for key, candidates in main.items():
        french = ranked(candidates, MAX_EQUIVALENTS)
        counts = pos_frequency.get(key)
        if counts:
            for pos, _ in sorted(counts.items(), key=lambda kv: (-kv[1], str(kv[0]))):
                if pos in lines and key in lines[pos]:
                    lead = lines[pos][key][0]
                    lead = next((f for f in french if f.replace("œ", "oe") == lead), lead)
                    french = [lead] + [f for f in french if f != lead]
                    break
        out[key] = french[:MAX_EQUIVALENTS]
    return out


def block_of(key):
    for number, letters in BLOCKS:
        if letters and key[0] in letters:
            return number
    return OTHER_BLOCK


def write_blocks(main, blocks_dir, figures):
    lines = collections.defaultdict(list)
    for key in main:
        french = ", ".join(main[key])
        lines[block_of(key)].append((key.encode("cp1252"), (key + "=" + french).encode("cp1252")))
    os.makedirs(blocks_dir, exist_ok=True)
    for number, _ in BLOCKS:
        # Sorted by key, so that no key is the start of a line that comes before its own.
        entries = [line for _, line in sorted(lines[number])]
        data = b"\r\n".join(entries)
        write_if_changed(os.path.join(blocks_dir, "dict%d.bin" % number), data)
        figures.add("block %d entries" % number, len(entries))
        figures.add("block entries", len(entries))
        figures.add("block bytes", len(data))


def write_catalog(dict_dir):
    lines = []
    for number, letters in BLOCKS:
        for letter in letters or "":
            lines.append("%s=#%d" % (letter, number))
    lines.sort()
    lines.append("other=#%d" % OTHER_BLOCK)
    lines.append("qv_language=%s" % LANGUAGE_LABEL)
    write_if_changed(os.path.join(dict_dir, "qvdict.catalog"), "\r\n".join(lines).encode() + b"\r\n")


LATIN1_SPELLINGS = {"œ": "oe", "Œ": "Oe", "€": "EUR", "…": "..."}


def list_french(french, figures, what):
    """Equivalents as ISO 8859-1, which the part-of-speech lists are in: œ, € and … are spelt
    out (oe, EUR, ...); an equivalent with another character it cannot hold is dropped."""
    out = []
    for f in french:
        t = f
        for a, b in LATIN1_SPELLINGS.items():
            t = t.replace(a, b)
        try:
            t.encode("latin-1")
        except UnicodeEncodeError:
            figures.add("%s equivalents dropped (not ISO 8859-1)" % what)
            continue
        if t != f:
            figures.add("%s equivalents transliterated" % what)
        out.append(t)
    return out


def list_lines(by_pos, figures):
    """Part of speech -> key -> its French equivalents in order, as ISO 8859-1 can hold them."""
    out = {}
    for pos in LIST_FILES:
        lines = out[pos] = {}
        for key in sorted(by_pos[pos]):
            try:
                key.encode("latin-1")
            except UnicodeEncodeError:
                figures.add("list keys dropped (not ISO 8859-1)")
                continue
            french = []
            for f in list_french(ranked(by_pos[pos][key], MAX_EQUIVALENTS), figures, "list"):
                if f not in french:
                    french.append(f)
            if french:
                lines[key] = french
    return out


# --- Precision: the part of speech of the French, false friends ------------------------------
#
# A part-of-speech line holds French words of that part of speech: nouns on the noun line,
# infinitives on the verb line, adjectives (or past participles) on the adjective line, adverbs
# on the adverb line. The French analysers of Apertium's pairs with Spanish and Catalan (lt-proc) tell
# which parts of speech a French word can be. An equivalent of another part of speech moves to
# the line where it belongs when the English word has that part of speech too, and goes
# otherwise; a word the analyser does not know stays where it is.
# Both pairs' French analysers: each knows words the other lacks.
FRENCH_ANALYSERS = ("apertium-fr-es/fr-es.automorf.bin", "apertium-fra-cat/fra-cat.automorf.bin")
_ANALYSIS_CLASS = {"n": "noun", "np": "noun", "num": "num", "adj": "adj", "adv": "adv",
                   "preadv": "adv"}
_VERB_TAGS = ("vblex", "vbser", "vbhaver", "vbmod")
_ARTICLES = ("le ", "la ", "les ", "l'", "un ", "une ", "des ")
# What each line accepts of the analyser's classes.
LINE_ACCEPTS = {"noun": {"noun", "num"}, "verb": {"verb"}, "adj": {"adj", "participle", "num"},
                "adv": {"adv"}}


def analyse_french(words):
    """French word -> the classes the analyser gives it ("noun", "verb" for an infinitive,
    "participle", "adj", "adv", "num", "other"); a word it does not know is left out."""
    words = sorted({w for w in words if w and "\n" not in w and not _LT_SPECIAL.search(w)})
    classes = {}
    for analyser in FRENCH_ANALYSERS:
        path = os.path.join(APERTIUM_DIR, analyser)
        if words and os.path.exists(path):
            _analyse_with(path, words, classes)
    return classes


def _analyse_with(path, words, classes):
    out = subprocess.run(["lt-proc", path], input=("\n".join(words) + "\n").encode("utf-8"),
                         stdout=subprocess.PIPE, check=True).stdout.decode("utf-8").split("\n")
    for word, line in zip(words, out):
        units = _LT_UNIT.findall(line)
        if len(units) != 1 or "/*" in units[0]:
            continue  # unknown, or cut into several words
        found = set()
        for analysis in units[0].split("/")[1:]:
            tags = re.findall(r"<([^>]*)>", analysis)
            if not tags:
                continue
            if tags[0] in _VERB_TAGS:
                # A finite form ("remarque", "marche") tells nothing: many French nouns are
                # spelt as one, and the analyser does not know them all as nouns.
                found.add("verb" if "inf" in tags else "participle" if "pp" in tags else "finite")
            else:
                found.add(_ANALYSIS_CLASS.get(tags[0], "other"))
        found.discard("finite")
        if found:
            classes.setdefault(word, set()).update(found)
    return classes


def head_word(french, pos):
    """The word of an equivalent that decides its part of speech, or None when the equivalent
    is a phrase whose class its first word does not tell (adjective and adverb phrases)."""
    bare = re.sub(r"\s*\([^)]*\)", "", french).replace("*", "").strip()
    low = bare.lower()
    if pos == "verb":
        # "se plaindre", "s'en aller", "s'y prendre": the verb follows the pronouns.
        bare = re.sub(r"^(?:se |s')(?:en |y )?", "", bare, flags=re.I)
    elif pos == "noun":
        for article in _ARTICLES:
            if low.startswith(article):
                bare = bare[len(article):]
                break
    tokens = bare.split()
    if not tokens or len(tokens) > 1 and pos in ("adj", "adv"):
        return None
    return tokens[0]


NOUN_SHARE = 4


def check_french_pos(lines, wordnet, pos_frequency, figures):
    """Moves each equivalent on a part-of-speech line that the analyser knows in other parts
    of speech only to the line where it belongs, or drops it."""
    heads = {(pos, f): head_word(f, pos) for pos in lines for fs in lines[pos].values() for f in fs}
    classes = analyse_french({h for h in heads.values() if h})
    moves = []
    for pos in lines:
        for key in sorted(lines[pos]):
            kept = []
            for f in lines[pos][key]:
                found = classes.get(heads[(pos, f)])
                if found is None or found & LINE_ACCEPTS[pos]:
                    kept.append(f)
                    continue
                targets = [p for p in LIST_FILES if p != pos and found & LINE_ACCEPTS[p]
                           and key in wordnet[p] and (p != "verb" or pos_fits(p, f))]
                if targets:
                    moves.append((targets[0], key, f))
                    figures.add("French equivalents moved to their part of speech")
                else:
                    figures.add("French equivalents dropped (another part of speech)")
            if kept:
                lines[pos][key] = kept
            else:
                del lines[pos][key]
    for pos, key, f in moves:
        line = lines[pos].setdefault(key, [])
        if f not in line:
            line.append(f)
    # The same French on the noun line and the adjective line of a word that is mostly an
    # adjective ("smooth": "lisse") is the adjective; the French noun it also spells ("une
    # lisse") is not what the English noun means.
    for key in sorted(set(lines["noun"]) & set(lines["adj"])):
        counts = pos_frequency.get(key, {})
        if counts.get("noun", 0) * NOUN_SHARE >= counts.get("adj", 0):
            continue
        noun_line = [f for f in lines["noun"][key] if f not in lines["adj"][key]]
        figures.add("adjectives dropped from noun lines", len(lines["noun"][key]) - len(noun_line))
        if noun_line:
            lines["noun"][key] = noun_line
        else:
            del lines["noun"][key]


def read_false_friends(path):
    """English word -> French look-alike -> the parts of speech where it is right after all."""
    out = collections.defaultdict(dict)
    if path and os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                if line.startswith("#") or not line.strip():
                    continue
                english, french, right = line.rstrip("\n").split("\t")[:3]
                out[english][normal_french(french)] = set() if right == "-" else set(right.split(","))
    return out


def normal_french(text):
    return re.sub(r"\s*\([^)]*\)", "", text).replace("*", "").strip().lower().replace("œ", "oe")


def without_false_friends(french, friends, pos):
    """The equivalents without the look-alikes that are wrong on this line (pos None: the main
    line, where a look-alike right for some part of speech is kept); a look-alike right for a
    minor sense goes after the first other equivalent."""
    if not friends:
        return french
    kept, minor = [], []
    for f in french:
        right = friends.get(normal_french(f))
        if right is None:
            kept.append(f)
        elif right and (pos is None or pos in right):
            minor.append(f)
    if not kept:
        return minor
    return kept[:1] + minor + kept[1:]


def apply_false_friends(lines, main, friends, figures):
    for pos, table in list(lines.items()) + [(None, main)]:
        for key in sorted(set(table) & set(friends)):
            mended = without_false_friends(table[key], friends[key], pos)
            if mended != table[key]:
                figures.add("lines mended for false friends")
            if mended:
                table[key] = mended
            else:
                del table[key]


# --- The reviewed lexicon ---------------------------------------------------------------------
#
# The words readers meet most were read and corrected by bilingual readers (reviewed/): their
# lines are exactly what the readers wrote, whatever the sources say. An inflected form of a
# reviewed word that is no word of its own ("went", "houses") gives up the lines the sources
# gave it, so that the look-up shows its base form's reviewed French, as it does for forms
# without a line.

def apply_reviewed(main, lines, reviewed, morphology, wordnet, figures):
    for word, entry in sorted(reviewed.items()):
        if entry["main"]:
            main[word] = list(entry["main"])
        else:
            main.pop(word, None)
        for pos in LIST_FILES:
            french = list_french(entry.get(pos, []), figures, "reviewed list")
            if french:
                lines[pos][word] = french
            else:
                lines[pos].pop(word, None)
        figures.add("reviewed words")
    own_words = set().union(*(wordnet[p] for p in LIST_FILES))
    for key in sorted(set(main).union(*(lines[p] for p in LIST_FILES))):
        if key in reviewed or key in own_words or " " in key or not key.isascii():
            continue
        bases = {pos: set(morphology.base_forms(key, pos)) - {key} for pos in LIST_FILES}
        if not any(b in reviewed for bs in bases.values() for b in bs):
            continue
        if main.pop(key, None) is not None:
            figures.add("main lines of inflected forms of reviewed words dropped")
        for pos in LIST_FILES:
            if key in lines[pos] and any(b in reviewed for b in bases[pos]):
                del lines[pos][key]
                figures.add("list lines of inflected forms of reviewed words dropped")


# --- Forms that are inflections and words of their own ---------------------------------------
#
# "saw" is a noun and a verb of its own, and the past of "see"; in running text it is nearly
# always the past of "see". The main line of such a form gives both readings' French, the more
# likely reading first. How likely each is comes from WordNet's sense-tagged texts: the form's
# own count against its base form's count in that part of speech, shared among the forms the
# base form has there.
INFLECTED_READING_FORMS = {"verb": 4, "noun": 1}
# The inflected reading comes first when it is this many times likelier than the form's own.
INFLECTED_READING_MARGIN = 2


def inflected_readings(form, lines, morphology, pos_frequency):
    """(weight, base form, its first French) of each reading of a form as an inflection."""
    out = []
    for pos, share in INFLECTED_READING_FORMS.items():
        for base in morphology.base_forms(form, pos):
            if base != form and base in lines[pos]:
                out.append((pos_frequency.get(base, {}).get(pos, 0) / share, base,
                            lines[pos][base][0]))
    return out


def add_inflected_readings(main, lines, morphology, wordnet, pos_frequency, reviewed, figures):
    """The main line of a word that is also an inflected form ("saw") gives that reading's
    French too, first when it is the likelier one; an inflected form of two different words
    ("leaves": "leave", "leaf") gets a main line with both. A reviewed word's line is left as
    its readers wrote it."""
    for key in sorted(main):
        if " " in key or key in reviewed or not any(key in wordnet[p] for p in LIST_FILES):
            continue
        readings = inflected_readings(key, lines, morphology, pos_frequency)
        if not readings:
            continue
        own = sum(pos_frequency.get(key, {}).values())
        weight, _, french = max(readings)
        if french in main[key]:
            continue
        first = weight > INFLECTED_READING_MARGIN * own
        main[key] = ([french] + main[key] if first else main[key] + [french])[:MAX_EQUIVALENTS]
        figures.add("main lines with an inflected reading" + (" first" if first else ""))
    forms = {f for table in lines.values() for f in table} - set(main) - set(reviewed)
    for form in sorted(forms):
        if " " in form:
            continue
        readings = sorted(inflected_readings(form, lines, morphology, pos_frequency), reverse=True)
        french = []
        for _, _, f in readings:
            if f not in french:
                french.append(f)
        if len({base for _, base, _ in readings}) >= 2 and len(french) >= 2:
            main[form] = french
            figures.add("main lines of inflected forms of two words")


def read_frequencies(wordnet_dir):
    """Lemma -> how often WordNet's sense-tagged texts use it (cntlist.rev)."""
    counts = collections.Counter()
    path = os.path.join(wordnet_dir, "cntlist.rev")
    if os.path.exists(path):
        with open(path, encoding="latin-1") as f:
            for line in f:
                parts = line.split()
                if len(parts) == 3:
                    counts[parts[0].split("%")[0].replace("_", " ")] += int(parts[2])
    return counts


def write_lists(lines, base_of, frequency, dict_dir, figures):
    """The look-up reads a list from its start until the word's line: the lines of the words met
    most often (an inflected form counts as its base form) come first, the rest in byte order."""
    for pos, name in LIST_FILES.items():
        def order(key):
            return (-frequency.get(base_of[pos].get(key, key), 0), key.encode("latin-1"))
        out = [(key + "=" + ", ".join(lines[pos][key]) + "\r\n").encode("latin-1")
               for key in sorted(lines[pos], key=order)]
        write_if_changed(os.path.join(dict_dir, name), b"".join(out))
        figures.add("list %s entries" % name, len(out))


# --- Inflected forms -------------------------------------------------------------------------
#
# The look-up fills a part of speech's heading line with the list line of the word as captured
# ("houses"), not of its base form; so the lists carry the inflected forms too, each with the
# French of its base form. The forms come from WordNet's exception files and from the regular
# endings, and a form is kept only when WordNet's own morphology (the library the look-up uses)
# leads it back to that base form.

WORDNET_POS_NUMBER = {"noun": 1, "verb": 2, "adj": 3, "adv": 4}


class Morphology:
    """Base forms of a word, asked of the WordNet library. The library opens one database per
    process: the first one asked for serves every later instance."""

    def __init__(self, wordnet_dir, library=None):
        os.environ["WNSEARCHDIR"] = wordnet_dir
        self.lib = ctypes.CDLL(library or ctypes.util.find_library("wordnet")
                               or "/usr/lib/libwordnet.so")
        if self.lib.wninit() != 0:
            raise RuntimeError("WordNet library cannot open %s" % wordnet_dir)
        self.lib.morphstr.restype = ctypes.c_char_p
        self.lib.morphstr.argtypes = [ctypes.c_char_p, ctypes.c_int]

    def base_forms(self, word, pos):
        number = WORDNET_POS_NUMBER[pos]
        out = []
        base = self.lib.morphstr(ctypes.create_string_buffer(word.encode("latin-1")), number)
        while base:
            out.append(base.decode("latin-1"))
            base = self.lib.morphstr(None, number)
        return out


def read_exception_forms(wordnet_dir):
    """Part of speech -> base form -> its irregular forms (WordNet's *.exc files)."""
    out = {}
    for pos in LIST_FILES:
        forms = out[pos] = collections.defaultdict(list)
        with open(os.path.join(wordnet_dir, pos + ".exc"), encoding="latin-1") as f:
            for line in f:
                parts = line.split()
                for base in parts[1:]:
                    forms[base.replace("_", " ")].append(parts[0].replace("_", " "))
    return out


_CONSONANT = "bcdfghjklmnpqrstvwxz"


def regular_forms(word, pos):
    """The forms the regular English endings make of a base form."""
    if not re.match(r"^[a-z]+$", word):
        return []
    if word.endswith(("s", "x", "z", "ch", "sh")):
        plural = word + "es"
    elif len(word) > 1 and word[-1] == "y" and word[-2] in _CONSONANT:
        plural = word[:-1] + "ies"
    else:
        plural = word + "s"
    if pos == "noun":
        return [plural] + ([word[:-3] + "men"] if word.endswith("man") else [])
    stem = word[:-1] if word.endswith("e") and not word.endswith(("ee", "ye", "oe")) else word
    if pos == "verb":
        if len(word) > 1 and word[-1] == "y" and word[-2] in _CONSONANT:
            past = word[:-1] + "ied"
        else:
            past = stem + "ed"
        forms = [plural, past, stem + "ing"]
        if word.endswith("o"):
            forms.append(word + "es")
        # A final consonant after one vowel is doubled in some verbs ("stopped") and not in
        # others ("opened"): both spellings are offered, the pronouncing dictionary decides.
        if re.search(r"[^aeiou][aeiou][bdgklmnprt]$", word):
            forms += [word + word[-1] + "ed", word + word[-1] + "ing"]
        return forms
    if len(word) > 1 and word[-1] == "y" and word[-2] in _CONSONANT:
        forms = [word[:-1] + "ier", word[:-1] + "iest"]
    else:
        forms = [stem + "er", stem + "est"]
    if re.search(r"[^aeiou][aeiou][bdgmnpt]$", word):
        forms += [word + word[-1] + "er", word + word[-1] + "est"]
    return forms


def add_inflected_forms(lines, morphology, exceptions, known_words, reviewed, figures):
    """Adds each list's inflected forms with their base form's French; a form that has a line
    of its own keeps it, and so does a reviewed word's line, even empty ("none"); a reviewed
    word takes its base form's line for a part of speech its entry does not give ("defending",
    a WordNet adjective, shows the verb "defend"'s line over its verb senses). Returns part of
    speech -> inflected form -> its base form."""
    base_of = {}
    for pos, entries in lines.items():
        base_of[pos] = {}
        # form -> the base forms it was made from
        made_from = collections.defaultdict(set)
        for base in entries:
            irregular = exceptions[pos].get(base, ())
            for form in irregular:
                made_from[form].add(base)
            for n, form in enumerate(regular_forms(base, pos)):
                # A noun takes its regular plural unless it has an irregular one ("children");
                # the other endings are kept for words that the pronouncing dictionary knows, so
                # that "beautifuller" or "stopeed" stay out.
                if pos == "noun" and n == 0 and len(base) > 2 and not irregular \
                        or form in known_words:
                    made_from[form].add(base)
        added = 0
        for form in sorted(made_from):
            if form in entries or pos in reviewed.get(form, ()):
                continue
            try:
                form.encode("latin-1")
            except UnicodeEncodeError:
                continue
            # The base forms in the library's order, as the look-up shows their senses.
            bases = [b for b in morphology.base_forms(form, pos) if b in made_from[form]]
            if not bases:
                figures.add("inflected forms not led back to their base (%s)" % pos)
                continue
            entries[form] = entries[bases[0]]
            base_of[pos][form] = bases[0]
            added += 1
        figures.add("list %s inflected forms" % LIST_FILES[pos], added)
    return base_of


# --- Pronunciations --------------------------------------------------------------------------

def read_cmudict(path):
    """word -> ARPAbet phones of its first pronunciation (pocketsphinx's copy has no stress)."""
    out = {}
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            parts = line.split()
            if len(parts) < 2 or "(" in parts[0]:
                continue
            out.setdefault(parts[0].lower(), parts[1:])
    return out


def read_stressed_cmudict(path):
    """word -> phones with stress digits, from the npm package's copy of CMUdict."""
    out = {}
    if not path or not os.path.exists(path):
        return out
    entry = re.compile(r'^\s*"((?:[^"\\]|\\.)*)":\s*"([^"]*)"')
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = entry.match(line)
            if m and "(" not in m.group(1):
                out[m.group(1).lower()] = m.group(2).split()
    return out


def stress_of(phone):
    return phone[-1] if phone[-1].isdigit() else None


def with_stress(phones, stressed):
    """The phones with stress digits, and whether the stress is known."""
    if stressed:
        # The same dictionary with its stress digits; where the two copies differ in a sound,
        # the stressed copy's reading is taken whole.
        return stressed, True
    vowels = [p for p in phones if p in VOWELS]
    if len(vowels) == 1:  # one syllable: it carries the stress
        return [p + "1" if p in VOWELS else p for p in phones], True
    return phones, False


def to_guide(phones):
    """ARPAbet with stress digits -> the guide's notation with stress marks before syllables."""
    bases = [p.rstrip("012") for p in phones]
    marks = [""] * len(phones)
    last_vowel = -1
    for i, p in enumerate(phones):
        if bases[i] not in VOWELS:
            continue
        s = stress_of(p)
        if s in ("1", "2"):
            # The syllable starts at the longest legal onset in the consonants before the vowel.
            start = i
            cluster = bases[last_vowel + 1:i]
            for n in range(len(cluster), 0, -1):
                tail = tuple(cluster[-n:])
                if n == 1 and tail[0] != "NG" or tail in ONSETS:
                    start = i - n
                    break
            marks[start] = PRIMARY if s == "1" else SECONDARY
        last_vowel = i
    out = []
    for i, p in enumerate(phones):
        base = bases[i]
        nxt = bases[i + 1] if i + 1 < len(bases) else None
        if base in ("IH", "IY") and nxt == "R":
            sym = "ɪə"
        elif base == "IY" and stress_of(p) == "0" and nxt is None:
            sym = "i"
        else:
            sym = ARPABET[base]
        out.append(marks[i] + sym)
    return "".join(out)


_EN_UNITS = ("zero one two three four five six seven eight nine ten eleven twelve thirteen "
             "fourteen fifteen sixteen seventeen eighteen nineteen").split()
_EN_TENS = "_ _ twenty thirty forty fifty sixty seventy eighty ninety".split()


def english_number(n):
    """The English name of a figure, as the words CMUdict knows."""
    if n < 20:
        return [_EN_UNITS[n]]
    if n < 100:
        return [_EN_TENS[n // 10]] + ([_EN_UNITS[n % 10]] if n % 10 else [])
    if n < 1000:
        return [_EN_UNITS[n // 100], "hundred"] + (english_number(n % 100) if n % 100 else [])
    if n < 1000000:
        return english_number(n // 1000) + ["thousand"] + (english_number(n % 1000) if n % 1000 else [])
    return None


def write_pronunciations(cmudict, stressed_path, wordnet, dict_dir, figures):
    plain = read_cmudict(cmudict)
    stressed = read_stressed_cmudict(stressed_path)
    guide = {}
    for word in plain:
        if "=" in word or not word or any(ord(c) < 32 for c in word):
            continue
        phones, known = with_stress(plain[word], stressed.get(word))
        if any(p.rstrip("012") not in ARPABET for p in phones):
            figures.add("pronunciations dropped (unknown phone)")
            continue
        if not known:
            figures.add("pronunciations without stress marks")
        guide[word] = to_guide(phones)
    # Words CMUdict lacks but whose parts it has: figures ("24": "twenty four") and WordNet's
    # hyphenated words ("by-product").
    composed = {}
    for n in list(range(0, 1001)) + [2000, 10000, 100000]:
        parts = english_number(n)
        if all(p in guide for p in parts):
            composed[str(n)] = " ".join(guide[p] for p in parts)
    for word in sorted(set().union(*wordnet.values())):
        parts = word.split("-")
        if len(parts) > 1 and word not in guide and all(p in guide for p in parts):
            composed[word] = "-".join(guide[p] for p in parts)
    for word, text in composed.items():
        if word not in guide:
            guide[word] = text
            figures.add("pronunciations composed of known words")
    files = collections.defaultdict(list)
    for word in sorted(guide):
        first = word[0]
        files[first if "a" <= first <= "z" else "other"].append(word + "=" + guide[word])
    catalog = []
    for part in sorted(files):
        name = "prn-%s.txt" % part
        catalog.append("%s=%s" % (part, name))
        write_if_changed(os.path.join(dict_dir, name), ("\r\n".join(files[part]) + "\r\n").encode())
        figures.add("pronunciations", len(files[part]))
    write_if_changed(os.path.join(dict_dir, "qvprn.catalog"), ("\r\n".join(catalog) + "\r\n").encode())


# --- Home folder -----------------------------------------------------------------------------

def write_if_changed(path, data):
    """Rewrites a file only when its content changes, so that what depends on it is not rebuilt."""
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def link_wordnet(wordnet_dir, dict_dir):
    for name in sorted(os.listdir(wordnet_dir)):
        target = os.path.join(wordnet_dir, name)
        link = os.path.join(dict_dir, name)
        if not os.path.isfile(target):
            continue
        if os.path.islink(link) and os.readlink(link) == target:
            continue
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(target, link)


def write_licences(paths, dict_dir):
    parts = []
    for title, path in paths:
        if path and os.path.exists(path):
            with open(path, encoding="utf-8", errors="replace") as f:
                parts.append("=" * 78 + "\n" + title + "\n" + "=" * 78 + "\n" + f.read() + "\n")
    write_if_changed(os.path.join(dict_dir, "LICENSES.txt"), "".join(parts).encode())


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--home", required=True, help="lexicon home folder to fill (its dict/)")
    ap.add_argument("--blocks", required=True, help="folder for the DICT blocks")
    ap.add_argument("--freedict", default="/usr/share/dictd")
    ap.add_argument("--wordnet", default="/usr/share/wordnet")
    ap.add_argument("--cmudict", default="/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict")
    ap.add_argument("--cmudict-stress", default="", help="index.js of cmu-pronouncing-dictionary")
    ap.add_argument("--french-words", default="/usr/share/dict/french",
                    help="French word list (wfrench); equivalents not made of its words are dropped")
    ap.add_argument("--false-friends", default=os.path.join(
        os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "false_friends.tsv"))
    ap.add_argument("--reviewed", default=reviewed_lexicon.DEFAULT_DIR,
                    help="folder of the reviewed lexicon, the highest authority")
    args = ap.parse_args()

    dict_dir = os.path.join(args.home, "dict")
    os.makedirs(dict_dir, exist_ok=True)
    figures = Figures()

    wordnet = read_wordnet_lemmas(args.wordnet)
    main_entries, by_pos = collect(args.freedict, wordnet, figures)
    pos_of = read_french_pos(args.freedict)
    pivots = pivot_support(args.freedict, figures)
    apertium = {}
    if apertium_available():
        proposed = {c.french for cs in main_entries.values() for c in cs}
        proposed.update(f for fs in pivots[0].values() for f in fs)
        apertium = apertium_witnesses(wordnet, proposed, pos_of, figures)
    else:
        print("gen_dict: Apertium's dictionaries missing: fewer witnesses", file=sys.stderr)
    add_witnesses(main_entries, by_pos, pivots, apertium, wordnet, figures)
    add_numbers(main_entries, figures)
    add_spelling_variants(main_entries, by_pos, wordnet, figures)
    add_proper_nouns(main_entries, args.wordnet, figures)
    add_tagged_pos(main_entries, by_pos, wordnet, pos_of, figures)
    fill_pos_lines(by_pos, apertium, wordnet, figures)
    keep_french(main_entries, by_pos, read_french_words(args.french_words), dict_dir, figures)
    morphology = Morphology(args.wordnet)
    drop_weak_inflected(main_entries, by_pos, morphology, figures)
    lines = list_lines(by_pos, figures)
    pos_frequency = read_pos_frequencies(args.wordnet)
    check_french_pos(lines, wordnet, pos_frequency, figures)
    friends = read_false_friends(args.false_friends)
    apply_false_friends(lines, {}, friends, figures)
    main_french = main_lines(main_entries, lines, pos_frequency)
    apply_false_friends({}, main_french, friends, figures)
    reviewed = reviewed_lexicon.read_reviewed(args.reviewed)
    apply_reviewed(main_french, lines, reviewed, morphology, wordnet, figures)
    base_of = add_inflected_forms(lines, morphology,
                                  read_exception_forms(args.wordnet),
                                  set(read_cmudict(args.cmudict)), reviewed, figures)
    add_inflected_readings(main_french, lines, morphology, wordnet, pos_frequency, reviewed,
                           figures)
    write_blocks(main_french, args.blocks, figures)
    write_catalog(dict_dir)
    write_lists(lines, base_of, read_frequencies(args.wordnet), dict_dir, figures)
    write_pronunciations(args.cmudict, args.cmudict_stress, wordnet, dict_dir, figures)
    link_wordnet(args.wordnet, dict_dir)
    npm_licence = os.path.join(os.path.dirname(args.cmudict_stress), "license") \
        if args.cmudict_stress else None
    freedicts = ["freedict-eng-fra", "freedict-fra-eng"] + sorted(
        {n for names in PIVOTS.values() for n in names
         if n and os.path.exists(os.path.join(args.freedict, n + ".index"))})
    write_licences([
        ("FreeDict %s (see the licence below)" % n[len("freedict-"):],
         "/usr/share/doc/dict-%s/copyright" % n) for n in freedicts] + [
        ("CMU Pronouncing Dictionary (BSD-2-Clause), from pocketsphinx-en-us",
         "/usr/share/doc/pocketsphinx-en-us/copyright"),
        ("CMU Pronouncing Dictionary, stress marks from cmu-pronouncing-dictionary (ISC)", npm_licence),
        ("WordNet 3.0 (WordNet licence)", "/usr/share/doc/wordnet-base/copyright"),
    ] + [("Apertium %s (GPL)" % n, "/usr/share/doc/%s/copyright" % n) for n in APERTIUM_PACKAGES] + [
        ("French word list, wfrench (GPL), used to check the French side",
         "/usr/share/doc/wfrench/copyright"),
    ], dict_dir)

    report = "".join("%s: %d\n" % kv for kv in sorted(figures.counts.items()))
    write_if_changed(os.path.join(dict_dir, "figures.txt"), report.encode())
    return 0


