"""The reviewed lexicon (reviewed/*.tsv): entries read and corrected by bilingual readers, the
generator's highest authority. See reviewed/README.md for the format and the reading rules."""

import collections
import glob
import os

from qvdata.output import LIST_FILES
from qvdata.text import Cleaner

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


# The words readers meet most were read and corrected by bilingual readers (reviewed/): their
# lines are exactly what the readers wrote, whatever the sources say. An inflected form of a
# reviewed word that is no word of its own ("went", "houses") gives up the lines the sources
# gave it, so that the look-up shows its base form's reviewed French, as it does for forms
# without a line.

def apply_reviewed(main, lines, reviewed, morphology, wordnet, figures):
    clean = Cleaner(figures)
    for word, entry in sorted(reviewed.items()):
        if entry["main"]:
            main[word] = list(entry["main"])
        else:
            main.pop(word, None)
        for pos in LIST_FILES:
            french = clean.latin1(entry.get(pos, []), "reviewed list")
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
