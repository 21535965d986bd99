"""What the generator writes: the DICT blocks, their catalog, the part-of-speech lists, the
links to WordNet and the licence notices, each file rewritten only when its content changes."""

import collections
import os

from qvdata.ranking import MAX_EQUIVALENTS, ranked
from qvdata.text import Cleaner


# Block number -> the initial letters it holds; None is the block for every other character.
BLOCKS = [
    (223, "a"), (224, "qr"), (225, None), (226, "op"), (227, "lmn"), (228, "fg"), (229, "de"),
    (230, "hijk"), (231, "c"), (232, "b"), (233, "vwxyz"), (234, "tu"), (235, "s"),
]


OTHER_BLOCK = 225


LANGUAGE_LABEL = "FR"


LIST_FILES = {"verb": "qv.vrb", "noun": "qv.nn", "adj": "qv.dj", "adv": "qv.dv"}


def block_of(key):
    for number, letters in BLOCKS:
        if letters and key[0] in letters:
            return number
    return OTHER_BLOCK


def write_blocks(main, blocks_dir, figures):
    lines = collections.defaultdict(list)
    for key in main:
        french = ", ".join(main[key])
        lines[block_of(key)].append((key.encode("cp1252"), (key + "=" + french).encode("cp1252")))
    os.makedirs(blocks_dir, exist_ok=True)
    for number, _ in BLOCKS:
        # Sorted by key, so that no key is the start of a line that comes before its own.
        entries = [line for _, line in sorted(lines[number])]
        data = b"\r\n".join(entries)
        write_if_changed(os.path.join(blocks_dir, "dict%d.bin" % number), data)
        figures.add("block %d entries" % number, len(entries))
        figures.add("block entries", len(entries))
        figures.add("block bytes", len(data))


def write_catalog(dict_dir):
    lines = []
    for number, letters in BLOCKS:
        for letter in letters or "":
            lines.append("%s=#%d" % (letter, number))
    lines.sort()
    lines.append("other=#%d" % OTHER_BLOCK)
    lines.append("qv_language=%s" % LANGUAGE_LABEL)
    write_if_changed(os.path.join(dict_dir, "qvdict.catalog"), "\r\n".join(lines).encode() + b"\r\n")


def list_lines(by_pos, figures):
    """Part of speech -> key -> its French equivalents in order, as ISO 8859-1 can hold them."""
    clean = Cleaner(figures)
    out = {}
    for pos in LIST_FILES:
        lines = out[pos] = {}
        for key in sorted(by_pos[pos]):
            try:
                key.encode("latin-1")
            except UnicodeEncodeError:
                figures.add("list keys dropped (not ISO 8859-1)")
                continue
            french = []
            for f in clean.latin1(ranked(by_pos[pos][key], MAX_EQUIVALENTS), "list"):
                if f not in french:
                    french.append(f)
            if french:
                lines[key] = french
    return out


def write_lists(lines, base_of, frequency, dict_dir, figures):
    """The look-up reads a list from its start until the word's line: the lines of the words met
    most often (an inflected form counts as its base form) come first, the rest in byte order."""
    for pos, name in LIST_FILES.items():
        def order(key):
            return (-frequency.get(base_of[pos].get(key, key), 0), key.encode("latin-1"))
        out = [(key + "=" + ", ".join(lines[pos][key]) + "\r\n").encode("latin-1")
               for key in sorted(lines[pos], key=order)]
        write_if_changed(os.path.join(dict_dir, name), b"".join(out))
        figures.add("list %s entries" % name, len(out))


def write_if_changed(path, data):
    """Rewrites a file only when its content changes, so that what depends on it is not rebuilt."""
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def link_wordnet(wordnet_dir, dict_dir):
    for name in sorted(os.listdir(wordnet_dir)):
        target = os.path.join(wordnet_dir, name)
        link = os.path.join(dict_dir, name)
        if not os.path.isfile(target):
            continue
        if os.path.islink(link) and os.readlink(link) == target:
            continue
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(target, link)


def write_licences(paths, dict_dir):
    parts = []
    for title, path in paths:
        if path and os.path.exists(path):
            with open(path, encoding="utf-8", errors="replace") as f:
                parts.append("=" * 78 + "\n" + title + "\n" + "=" * 78 + "\n" + f.read() + "\n")
    write_if_changed(os.path.join(dict_dir, "LICENSES.txt"), "".join(parts).encode())
