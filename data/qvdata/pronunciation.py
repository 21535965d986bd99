"""Pronunciations: CMUdict's ARPAbet in the pronunciation guide's symbols, with stress marks."""

import collections
import os
import re

from qvdata.numbers import english_number
from qvdata.output import write_if_changed


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
