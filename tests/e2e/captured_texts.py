#!/usr/bin/env python3
"""Prints captured texts for comparing the builds of qv-lookup, one per line (UTF-8): the most
frequent WordNet lemmas as they are and dressed as the capture returns them, then texts that
exercise the trimming, the 8-bit conversion and the JSON escapes."""
import sys

cntlist, count = sys.argv[1], int(sys.argv[2])
totals = {}
with open(cntlist, encoding="latin-1") as f:
    for line in f:
        key, _, rest = line.partition("%")
        if rest:
            totals[key] = totals.get(key, 0) + int(line.split()[-1])
lemmas = sorted(totals, key=lambda k: -totals[k])[:count]

dress = ["{}", "({}),", "{}.", "'{}'", "\"{}\"", "{}s", "{}ing", "{}ed"]
texts = []
for i, lemma in enumerate(lemmas):
    word = lemma.replace("_", " ")
    texts.append(dress[i % len(dress)].format(word))
    if i % 5 == 0:
        texts.append(word.upper() if i % 2 else word.capitalize())
texts += [
    "", "...", "--well--", "'tis", "rock'n'roll", "don't", "self-made", "a.m", " \tcat",
    "cat\t", "über", "Straße", "naïve", "café", "cœur", "слово", "€uro", "x\U0001F600",
    "\"quoted\" word", "back\\slash", "12", "3.14", "<html>", "geese", "mice", "better",
    "ran", "went", "children", "  spaced  ", "a" * 300, "semi;colon", "C++", "e-mail",
]
sys.stdout.write("\n".join(texts) + "\n")
