#!/usr/bin/env python3
"""Checks every generated dictionary file against its format and prints the data's figures.

Exits with status 1, naming each fault, when a file is off; writes the stamp file only when all
is well.

  validate_dict.py --home LEXICON_HOME --blocks BLOCKS_DIR [--stamp FILE]
"""

import argparse
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from qvdata import wordnet  # noqa: E402

BLOCK_LETTERS = {223: "a", 224: "qr", 225: None, 226: "op", 227: "lmn", 228: "fg", 229: "de",
                 230: "hijk", 231: "c", 232: "b", 233: "vwxyz", 234: "tu", 235: "s"}
LISTS = ("qv.vrb", "qv.nn", "qv.dj", "qv.dv")
# The pronunciation guide's symbols; a pronunciation is a run of these and nothing else.
GUIDE = ["aː", "æ", "ʌ", "ɔː", "aʊ", "aɪ", "b", "tʃ", "d", "ð", "ɛə", "ɚ", "eɪ", "f", "g", "h",
         "ɪə", "i", "iː", "dʒ", "k", "l", "m", "n", "ŋ", "oʊ", "oɪ", "p", "r", "s", "ʃ", "t", "θ",
         "ʊ", "uː", "v", "w", "y", "z", "ʒ", "ˈ", "ˌ"]
_SYMBOLS = "(?:%s)+" % "|".join(sorted(map(re.escape, GUIDE), key=len, reverse=True))
# Words of a figure's name are separated by a space, the parts of a hyphenated word by "-".
GUIDE_RE = re.compile("^%s(?:[ -]%s)*$" % (_SYMBOLS, _SYMBOLS))
CP1252_UNDEFINED = {0x81, 0x8D, 0x8F, 0x90, 0x9D}


class Check:
    def __init__(self):
        self.faults = []
        self.figures = []

    def fault(self, where, what):
        if len(self.faults) < 200:
            self.faults.append("%s: %s" % (where, what))

    def figure(self, name, value):
        self.figures.append((name, value))


def check_entry_line(check, where, line, key_pattern):
    """A key, "=", a non-empty value without "=" and without control characters."""
    key, sep, value = line.partition("=")
    if not sep:
        check.fault(where, "no '=' in %r" % line[:60])
        return None
    if not key or key != key.strip() or not key_pattern.match(key):
        check.fault(where, "bad key %r" % key)
    if key != key.lower():
        check.fault(where, "key not in lower case %r" % key)
    if not value or "=" in value:
        check.fault(where, "bad value for %r" % key)
    if any(ord(c) < 32 for c in line):
        # A control character before a word would count as a line start for the block scan.
        check.fault(where, "control character in %r" % line[:60])
    return key


def check_sorted_unique(check, where, keys, encoding):
    encoded = [k.encode(encoding) for k in keys]
    if len(set(encoded)) != len(encoded):
        check.fault(where, "duplicate keys")
    # Sorted by key, a key's own line is the first line that begins with it.
    if encoded != sorted(encoded):
        check.fault(where, "keys out of order")


def check_blocks(check, blocks_dir):
    total_entries = total_bytes = 0
    for number, letters in sorted(BLOCK_LETTERS.items()):
        where = "block %d" % number
        path = os.path.join(blocks_dir, "dict%d.bin" % number)
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError:
            check.fault(where, "missing")
            continue
        if not data:
            check.fault(where, "empty")
            continue
        if data.startswith(b"\xef\xbb\xbf") or data.startswith(b"\xff\xfe"):
            check.fault(where, "byte-order mark")
        if data.endswith(b"\n") or data.endswith(b"\r"):
            check.fault(where, "line break after the last line")
        if any(b in CP1252_UNDEFINED for b in data):
            check.fault(where, "byte undefined in Windows-1252")
        text = data.decode("cp1252", errors="replace")
        lines = text.split("\r\n")
        if any("\r" in l or "\n" in l for l in lines):
            check.fault(where, "line break other than CR LF")
        keys = []
        for key, _ in entry_keys(check, where, lines):
            keys.append(key)
            first = key[0]
            in_letters = letters is not None and first in letters
            other = letters is None and not ("a" <= first <= "z")
            if not (in_letters or other):
                check.fault(where, "key %r belongs to another block" % key)
        check_sorted_unique(check, where, keys, "cp1252")
        check.figure("block %d entries" % number, len(lines))
        check.figure("block %d bytes" % number, len(data))
        total_entries += len(lines)
        total_bytes += len(data)
    check.figure("blocks: entries in all", total_entries)
    check.figure("blocks: bytes in all", total_bytes)


def read_lines(check, path, where, encoding):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        check.fault(where, "missing")
        return None
    try:
        text = data.decode(encoding)
    except UnicodeDecodeError as e:
        check.fault(where, "not %s: %s" % (encoding, e))
        return None
    if text.startswith("\ufeff"):
        check.fault(where, "byte-order mark")
    if text and not text.endswith("\r\n"):
        check.fault(where, "last line without CR LF")
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    if any("\r" in l or "\n" in l for l in lines):
        check.fault(where, "line break other than CR LF")
    return lines


def entry_keys(check, where, lines):
    """The key and value of each entry line whose key can be read (faults are reported)."""
    pattern = re.compile(r"^[^\s=][^=]*$")
    for line in lines:
        key = check_entry_line(check, where, line, pattern)
        if key is not None:
            yield key, line.partition("=")[2]


def read_catalog(check, dict_dir, where, key_pattern):
    """A catalog's key=value lines as a dict; None when the file cannot be read."""
    lines = read_lines(check, os.path.join(dict_dir, where), where, "latin-1")
    if lines is None:
        return None
    values = {}
    for line in lines:
        key = check_entry_line(check, where, line, re.compile(key_pattern))
        if key in values:
            check.fault(where, "key %r twice" % key)
        elif key is not None:
            values[key] = line.partition("=")[2]
    return values


def check_catalog(check, dict_dir, blocks_dir):
    where = "qvdict.catalog"
    values = read_catalog(check, dict_dir, where, r"^([a-z]|other|qv_language)$")
    if values is None:
        return
    for number, letters in BLOCK_LETTERS.items():
        for letter in letters or "":
            if values.get(letter) != "#%d" % number:
                check.fault(where, "letter %r should name #%d" % (letter, number))
    if values.get("other") != "#225":
        check.fault(where, "'other' should name #225")
    if not values.get("qv_language"):
        check.fault(where, "no language label")
    for key, value in values.items():
        if key != "qv_language" and not (len(value) <= 4 and re.match(r"^#\d+$", value)):
            check.fault(where, "block name %r is not '#' and a number of at most 3 digits" % value)


def check_lists(check, dict_dir):
    morphology = None
    try:
        morphology = wordnet.morphology(dict_dir)
    except (OSError, RuntimeError) as e:
        check.fault("lists", "no WordNet morphology to check inflected forms with: %s" % e)
    for name, pos in zip(LISTS, ("verb", "noun", "adj", "adv")):
        lines = read_lines(check, os.path.join(dict_dir, name), name, "latin-1")
        if lines is None:
            continue
        if not lines:
            check.fault(name, "empty")
        values = {}
        for line in lines:
            key = check_entry_line(check, name, line, re.compile(r"^[^\s=][^=]*$"))
            if key is None:
                continue
            if key in values:
                check.fault(name, "key %r twice" % key)
            values.setdefault(key, line.partition("=")[2])
        # A word that is no lemma of this part of speech is an inflected form: the library's
        # morphology must lead it back to a lemma whose line holds the same French.
        lemmas = wordnet.lemmas(dict_dir)[pos] if os.path.exists(os.path.join(dict_dir, "index." + pos)) else set()
        inflected = 0
        for key, value in values.items():
            if key in lemmas or morphology is None:
                continue
            inflected += 1
            if not any(values.get(b) == value for b in morphology.base_forms(key, pos)):
                check.fault(name, "%r is no lemma and no inflected form of a listed one" % key)
        check.figure("list %s entries" % name, len(lines))
        check.figure("list %s inflected forms" % name, inflected)


def check_pronunciations(check, dict_dir):
    where = "qvprn.catalog"
    names = read_catalog(check, dict_dir, where, r"^([a-z]|other)$")
    if names is None:
        return
    if "other" not in names:
        check.fault(where, "no 'other' line")
    total = 0
    for key, name in sorted(names.items()):
        lines = read_lines(check, os.path.join(dict_dir, name), name, "utf-8")
        if lines is None:
            continue
        words = []
        for word, value in entry_keys(check, name, lines):
            words.append(word)
            if key != "other" and word[0] != key:
                check.fault(name, "word %r belongs to another file" % word)
            if not GUIDE_RE.match(value):
                check.fault(name, "%r uses a symbol outside the guide" % (word + "=" + value))
        check_sorted_unique(check, name, words, "utf-8")
        total += len(lines)
    check.figure("pronunciations", total)


def check_wordnet(check, dict_dir):
    for name in ("index.noun", "index.verb", "index.adj", "index.adv", "data.noun", "data.verb",
                 "data.adj", "data.adv", "noun.exc", "verb.exc", "adj.exc", "adv.exc"):
        if not os.path.isfile(os.path.join(dict_dir, name)):
            check.fault("WordNet", "%s missing" % name)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--home", required=True)
    ap.add_argument("--blocks", required=True)
    ap.add_argument("--stamp")
    args = ap.parse_args()
    dict_dir = os.path.join(args.home, "dict")

    check = Check()
    check_blocks(check, args.blocks)
    check_catalog(check, dict_dir, args.blocks)
    check_lists(check, dict_dir)
    check_pronunciations(check, dict_dir)
    check_wordnet(check, dict_dir)

    for name, value in check.figures:
        print("  %-28s %9d" % (name, value))
    generated = os.path.join(dict_dir, "figures.txt")
    if os.path.exists(generated):
        with open(generated, encoding="utf-8") as f:
            for line in f:
                if "dropped" in line or "transliterated" in line or "without" in line:
                    print("  " + line.rstrip())
    if check.faults:
        for f in check.faults:
            print("validate_dict: " + f, file=sys.stderr)
        return 1
    if args.stamp:
        with open(args.stamp, "w") as f:
            f.write("ok\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
