#!/usr/bin/env python3
"""How much of everyday English the generated data covers.

Ranks WordNet's single-word lemmas by their sense-tag counts (cntlist.rev), takes the N most
frequent, and reports the share that gets a main translation and the share that gets a
pronunciation, looked up the way the dictionary store does: the catalog picks the block or file
by first character, the first line that begins with the word decides. A word without an entry
is retried with its WordNet base form, as the look-up does.

  coverage.py --home LEXICON_HOME --blocks BLOCKS_DIR [--top 5000] [--missing FILE]
"""

import argparse
import collections
import os
import sys

WORDNET_POS = ("noun", "verb", "adj", "adv")
# WordNet's detachment rules (morph.c), per part of speech.
SUFFIXES = {
    "noun": [("s", ""), ("ses", "s"), ("xes", "x"), ("zes", "z"), ("ches", "ch"), ("shes", "sh"),
             ("men", "man"), ("ies", "y")],
    "verb": [("s", ""), ("ies", "y"), ("es", "e"), ("es", ""), ("ed", "e"), ("ed", ""),
             ("ing", "e"), ("ing", "")],
    "adj": [("er", ""), ("est", ""), ("er", "e"), ("est", "e")],
    "adv": [],
}


def read_kv(path, encoding):
    out = {}
    try:
        with open(path, encoding=encoding, errors="replace", newline="") as f:
            for line in f.read().replace("\r\n", "\n").split("\n"):
                key, sep, value = line.partition("=")
                if sep and key not in out:
                    out[key] = value.lstrip("=").split("=")[0]
    except OSError:
        pass
    return out


def find_key_in_text(text, word):
    """The store's first-occurrence scan over a decoded block."""
    if not word:
        return ""
    pos = text.find(word)
    if pos < 0:
        return ""
    accepted = text.find("=") == len(word) if pos == 0 else ord(text[pos - 1]) < 20
    while not accepted:
        pos = text.find(word, pos + 1)
        if pos < 0:
            return ""
        accepted = ord(text[pos - 1]) < 20
    eq = text.find("=", pos)
    if eq != pos + len(word):
        return ""
    nl = text.find("\n", pos)
    return text[eq + 1:] if nl < 0 else text[eq + 1:nl + 1]


class Store:
    def __init__(self, home, blocks_dir):
        dict_dir = os.path.join(home, "dict")
        self.catalog = read_kv(os.path.join(dict_dir, "qvdict.catalog"), "latin-1")
        self.blocks = {}
        for name in set(self.catalog.values()):
            path = os.path.join(blocks_dir, "dict%s.bin" % name.lstrip("#"))
            if os.path.exists(path):
                with open(path, "rb") as f:
                    self.blocks[name] = f.read().decode("cp1252", errors="replace")
        self.prn_catalog = read_kv(os.path.join(dict_dir, "qvprn.catalog"), "latin-1")
        self.prn = {}
        for name in set(self.prn_catalog.values()):
            self.prn[name] = read_kv(os.path.join(dict_dir, name), "utf-8-sig")

    def _pick(self, catalog, word):
        return catalog.get(word[:1]) or catalog.get("other", "")

    def translation(self, word):
        return find_key_in_text(self.blocks.get(self._pick(self.catalog, word), ""), word)

    def pronunciation(self, word):
        return self.prn.get(self._pick(self.prn_catalog, word), {}).get(word, "")


def read_exceptions(wordnet):
    exc = {}
    for pos in WORDNET_POS:
        with open(os.path.join(wordnet, pos + ".exc"), encoding="latin-1") as f:
            for line in f:
                parts = line.split()
                if len(parts) >= 2:
                    exc.setdefault(parts[0], parts[1])
    return exc


def read_index(wordnet):
    by_pos = {}
    for pos in WORDNET_POS:
        with open(os.path.join(wordnet, "index." + pos), encoding="latin-1") as f:
            by_pos[pos] = {l.split(" ", 1)[0] for l in f if not l.startswith(" ")}
    return by_pos


def base_forms(word, exc, index):
    if word in exc:
        yield exc[word]
    for pos in WORDNET_POS:
        for suffix, ending in SUFFIXES[pos]:
            if word.endswith(suffix):
                base = word[: len(word) - len(suffix)] + ending
                if base in index:
                    yield base


def top_lemmas(wordnet, n):
    counts = collections.Counter()
    with open(os.path.join(wordnet, "cntlist.rev"), encoding="latin-1") as f:
        for line in f:
            parts = line.split()
            if len(parts) == 3:
                counts[parts[0].split("%")[0]] += int(parts[2])
    return [w for w, _ in counts.most_common() if "_" not in w][:n]


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--home", required=True)
    ap.add_argument("--blocks", required=True)
    ap.add_argument("--wordnet", default="/usr/share/wordnet")
    ap.add_argument("--top", type=int, default=5000)
    ap.add_argument("--missing", help="write the words without a translation here")
    args = ap.parse_args()

    store = Store(args.home, args.blocks)
    exc, index_by_pos = read_exceptions(args.wordnet), read_index(args.wordnet)
    index = set().union(*index_by_pos.values())
    words = top_lemmas(args.wordnet, args.top)
    translated = pronounced = 0
    missing = []
    for word in words:
        if store.translation(word) or any(store.translation(b) for b in base_forms(word, exc, index)):
            translated += 1
        else:
            missing.append(word)
        if store.pronunciation(word) or any(store.pronunciation(b) for b in base_forms(word, exc, index)):
            pronounced += 1
    # The part-of-speech lists: each part of speech WordNet gives the word should have a line.
    dict_dir = os.path.join(args.home, "dict")
    lists = {pos: read_kv(os.path.join(dict_dir, name), "latin-1")
             for pos, name in (("verb", "qv.vrb"), ("noun", "qv.nn"), ("adj", "qv.dj"), ("adv", "qv.dv"))}
    pairs = listed = 0
    for word in words:
        for pos in WORDNET_POS:
            if word in index_by_pos[pos]:
                pairs += 1
                listed += word in lists[pos]
    n = len(words)
    print("coverage of the %d most frequent WordNet lemmas:" % n)
    print("  translated: %d (%.1f%%)" % (translated, 100.0 * translated / n))
    print("  pronounced: %d (%.1f%%)" % (pronounced, 100.0 * pronounced / n))
    print("  (word, part of speech) pairs with a list line: %d of %d (%.1f%%)"
          % (listed, pairs, 100.0 * listed / max(pairs, 1)))
    if args.missing:
        with open(args.missing, "w", encoding="utf-8") as f:
            f.write("\n".join(missing) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
