"""Translations through a third language: FreeDict's dictionaries between English, French and
other languages, and how their paths (with Apertium's) support or add a key's equivalents."""

import collections
import difflib
import os
import re
import unicodedata

from qvdata.freedict import HEAD_LINE, read_dictd
from qvdata.output import LIST_FILES
from qvdata.ranking import Candidate, pos_fits
from qvdata.text import Cleaner


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
    return HEAD_LINE.match(head).group(1).strip()


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
    clean = Cleaner(figures)
    support, first_choice = pivots
    lemmas = set().union(*wordnet.values())
    keys = set(support) | {key for key, _ in apertium}
    for english in sorted(keys):
        key = clean.key(english)
        if key is None:
            continue
        known = key in main
        # French -> candidates of every path, any part of speech
        found = collections.defaultdict(list)
        for french, langs in support.get(english, {}).items():
            french = clean.french(french, "French equivalents")
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
