"""FreeDict's English-French and French-English dictionaries (dictd databases): the first
candidates of every key and part-of-speech line, the French parts of speech that FreeDict's
French-to-X headwords carry, the other spelling of a word, and the names kept as spelt."""

import collections
import gzip
import os
import re

from qvdata import wordnet as wordnet_db
from qvdata.output import LIST_FILES
from qvdata.ranking import Candidate, pos_fits
from qvdata.text import Cleaner, KEY_CHARS, domain_label


SOURCE_POS = {"v": "verb", "vt": "verb", "vi": "verb", "n": "noun", "n, masc": "noun",
              "n, fem": "noun", "adj": "adj", "adv": "adv"}


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


HEAD_LINE = re.compile(r"^(.*?)(?:\s+/[^/]*/)?(?:\s+<([^>]*)>)?\s*$")


_SENSE = re.compile(r"^(?:\d+\.\s*)?(?:\[([^\]]*)\]\s*)?(.*)$")


def parse_entry(head, senses):
    """(headword, part-of-speech tag or None, [(domain label or None, [equivalents])])."""
    m = HEAD_LINE.match(head)
    word, pos = m.group(1).strip(), m.group(2)
    out = []
    for sense in senses:
        s = _SENSE.match(sense)
        label, text = s.group(1), s.group(2)
        equivalents = [e.strip() for e in text.split(",") if e.strip()]
        if equivalents:
            out.append((label, equivalents))
    return word, pos, out


def collect(freedict_dir, wordnet, figures):
    """English key -> ranked French equivalents, and part of speech -> key -> equivalents."""
    clean = Cleaner(figures)
    main = collections.defaultdict(list)
    by_pos = {pos: collections.defaultdict(list) for pos in LIST_FILES}

    # English -> French: every sense in order, the sense number ranks it.
    for head, senses in read_dictd(freedict_dir, "freedict-eng-fra"):
        word, _, parsed = parse_entry(head, senses)
        figures.add("eng-fra headwords")
        key = clean.key(word)
        if key is None:
            continue
        pos_of_word = [p for p in LIST_FILES if key in wordnet[p]]
        for n, (label, equivalents) in enumerate(parsed):
            for k, french in enumerate(equivalents):
                french = clean.french(french + domain_label(label), "French equivalents")
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
            french = clean.french(word + domain_label(label), "French equivalents")
            if french is None:
                continue
            for g, english in enumerate(equivalents):
                english = re.sub(r"\([^)]*\)", " ", english)
                if english.lower().startswith("to "):
                    english = english[3:]
                key = clean.key(english)
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
    spellings = wordnet_db.noun_spellings(wordnet_dir)
    for key, forms in sorted(spellings.items()):
        if key in main or len(forms) != 1:
            continue
        (form,) = forms
        if form[:1].isupper() and form[1:].islower() and " " not in form and KEY_CHARS.match(key):
            main[key].append(Candidate(form, (4, 0, 0), "N", True))
            figures.add("keys of names kept as they are spelt")


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
            m = HEAD_LINE.match(head)
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
