#!/usr/bin/env python3
"""Writes wordnet_notice.h: the WordNet 3.0 notice that the About dialog shows, its rights
statement then its disclaimer, taken from the licence that Debian's WordNet package installs.

usage: wordnet_notice.py COPYRIGHT_FILE OUTPUT_HEADER
"""
import re
import sys


def paragraphs(copyright_text):
    """The paragraphs of the WordNet3.0 licence in a Debian machine-readable copyright file."""
    m = re.search(r"^License: WordNet3\.0\n((?:[ \t].*\n?)+)", copyright_text, re.M)
    if not m:
        raise SystemExit("no WordNet3.0 licence in the copyright file")
    paras, cur = [], []
    for line in m.group(1).splitlines():
        line = line.strip()
        if line == ".":
            paras.append(cur)
            cur = []
        else:
            cur.append(line)
    paras.append(cur)
    # One line per paragraph; a word split at a line end ("MERCHANT-" / "ABILITY") is joined.
    out = []
    for p in paras:
        text = ""
        for line in p:
            if text.endswith("-") and re.match(r"[A-Za-z]", line):
                text = text[:-1] + line
            else:
                text += (" " if text else "") + line
        out.append(re.sub(r"\s+", " ", text))
    return out


def main():
    src, dst = sys.argv[1], sys.argv[2]
    with open(src, encoding="utf-8") as f:
        paras = paragraphs(f.read())
    rights = [p for p in paras if p.startswith("WordNet 3.0 Copyright")]
    disclaimer = [p for p in paras if p.startswith("THIS SOFTWARE AND DATABASE IS PROVIDED")]
    if len(rights) != 1 or len(disclaimer) != 1:
        raise SystemExit("the rights statement or the disclaimer is missing from " + src)
    notice = rights[0] + "\r\n\r\n" + disclaimer[0]
    literal = notice.replace("\\", "\\\\").replace('"', '\\"').replace("\r", "\\r").replace("\n", "\\n")
    with open(dst, "w", encoding="utf-8") as f:
        f.write("// Generated from %s by wordnet_notice.py.\n#pragma once\n\n" % src)
        f.write("inline constexpr wchar_t kWordNetNotice[] =\n    L\"%s\";\n" % literal)


if __name__ == "__main__":
    main()
