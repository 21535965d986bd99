"""The reviewed lexicon (reviewed/*.tsv): entries read and corrected by bilingual readers, the
generator's highest authority. See reviewed/README.md for the format and the reading rules."""

import collections
import glob
import os

LINES = ("main", "noun", "verb", "adj", "adv")
NONE = "none"
DEFAULT_DIR = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "reviewed")


class FormatError(ValueError):
    pass


def parse_french(text):
    """The equivalents of a line in order, or [] for "none"."""
    text = text.strip()
    if text == NONE:
        return []
    out = []
    depth, start = 0, 0
    for i, c in enumerate(text):
        depth += (c == "(") - (c == ")")
        if c == "," and depth == 0:
            out.append(text[start:i].strip())
            start = i + 1
    out.append(text[start:].strip())
    if any(not f for f in out):
        raise FormatError("an empty equivalent in %r" % text)
    return out


def read_file(path, entries):
    """Adds the entries of one file to entries (word -> line -> equivalents)."""
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\r\n")
            if not line.strip() or line.startswith("#"):
                continue
            where = "%s:%d" % (os.path.basename(path), number)
            fields = line.split("\t")
            if len(fields) != 3:
                raise FormatError("%s: not three tab-separated fields" % where)
            word, kind, french = fields
            if word != word.strip().lower() or not word:
                raise FormatError("%s: the word %r is not a lower-case key" % (where, word))
            if kind not in LINES:
                raise FormatError("%s: unknown line %r" % (where, kind))
            if kind in entries[word]:
                raise FormatError("%s: a second %s line for %r" % (where, kind, word))
            if "=" in french:
                raise FormatError("%s: '=' separates a key from its value in the data" % where)
            try:
                french.encode("cp1252")
            except UnicodeEncodeError:
                raise FormatError("%s: a character Windows-1252 lacks" % where) from None
            try:
                entries[word][kind] = parse_french(french)
            except FormatError as e:
                raise FormatError("%s: %s" % (where, e)) from None


def read_reviewed(directory=DEFAULT_DIR):
    """Word -> line ("main", "noun", ...) -> its French in order ([] for none). Every word has a
    main line."""
    entries = collections.defaultdict(dict)
    for path in sorted(glob.glob(os.path.join(directory, "*.tsv"))):
        if os.path.basename(path) != "audit.tsv":
            read_file(path, entries)
    for word, lines in entries.items():
        if "main" not in lines:
            raise FormatError("reviewed entry %r has no main line" % word)
    return dict(entries)


def file_of(word):
    """The file a word's entry lives in: its initial letter, or other.tsv."""
    first = word[:1]
    return (first if "a" <= first <= "z" else "other") + ".tsv"
