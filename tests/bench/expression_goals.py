#!/usr/bin/env python3
"""The expression finder over a list of sentences (expression_sentences.tsv): for each half of
the list (the half the rules were tuned on, and the half held out), how often the expression of a
pointed word is found, how often a word that stands in none shows one, and the first French
word each found expression shows. It also checks that a word in no expression shows the same
popup with and without the text around it. Prints figures; asserts nothing.

usage: expression_goals.py QV_LOOKUP [SENTENCES]"""
import collections
import json
import pathlib
import re
import subprocess
import sys


def popups(lookup, texts, marked):
    args = [lookup, "--json", "--stdin"] + (["--marked"] if marked else [])
    out = subprocess.run(args, input="\n".join(texts).encode("utf-8"), check=True,
                         stdout=subprocess.PIPE).stdout.decode("utf-8")
    return [json.loads(line) for line in out.splitlines()]


def expression_of(popup):
    """The lemma an expression's popup shows, or None for a word's own popup: a word's title
    starts with the captured token, then its pronunciation or base form."""
    token, title = popup["captured"], popup["title"]
    if title == token or title.startswith(token + "  ") or title.startswith(token + " --> "):
        return None
    return title.split(" --> ")[-1]


def first_french(body, lemma):
    """The first word of the expression's FR line, which opens the body: "[lemma]\nFR : ..."."""
    head = re.match(r"\[([^\]\n]+)\]\nFR : ([^,\r\n]*)", body)
    if not head or head.group(1).lower() != lemma.lower():
        return ""
    return head.group(2).strip()


def main():
    lookup = sys.argv[1]
    path = pathlib.Path(sys.argv[2] if len(sys.argv) > 2 else
                        pathlib.Path(__file__).with_name("expression_sentences.tsv"))
    rows = [line.split("\t") for line in path.read_text(encoding="utf-8").splitlines()
            if line and not line.startswith("#")]
    shown = popups(lookup, [r[2] for r in rows], marked=True)
    alone = popups(lookup, [p["captured"] for p in shown], marked=False)
    figures = collections.defaultdict(collections.Counter)
    french, misses, changed = [], [], []
    for (half, expected, sentence, note), popup, own in zip(rows, shown, alone):
        found = expression_of(popup)
        f = figures[half]
        if note:
            f["not counted"] += 1
            continue
        if expected:
            f["with an expression"] += 1
            if found and expected.lower() in found.lower():
                f["found"] += 1
                french.append((half, found, first_french(popup["body"], found), sentence))
            else:
                misses.append((half, "missed" if not found else "other: " + found, sentence))
        else:
            f["without"] += 1
            if found:
                f["false"] += 1
                misses.append((half, "false: " + found, sentence))
            elif (popup["title"], popup["body"]) != (own["title"], own["body"]):
                changed.append(sentence)
    for half in ("tune", "held"):
        f = figures[half]
        print("%-5s found %3d/%3d (%.1f%%)   false %d/%d (%.1f%%)   not counted %d" % (
            half, f["found"], f["with an expression"],
            100.0 * f["found"] / max(1, f["with an expression"]), f["false"], f["without"],
            100.0 * f["false"] / max(1, f["without"]), f["not counted"]))
    print("words in no expression whose popup changed with the text around them: %d" % len(changed))
    for s in changed:
        print("  changed:", s)
    for half, what, sentence in misses:
        print("  %s %s: %s" % (half, what, sentence))
    print("\nfirst French word of each expression found:")
    for half, lemma, word, sentence in french:
        print("  %s\t%s\t%s\t%s" % (half, lemma, word or "(no French line)", sentence))


if __name__ == "__main__":
    main()
