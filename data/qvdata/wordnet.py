"""WordNet 3.0 as the data tools read it: its lemmas per part of speech (index.*), the nouns'
spellings (data.noun), the irregular forms (*.exc), the sense-tag counts (cntlist.rev) and the
base forms that the WordNet library finds, as the look-up does. Each file is read once per run
and database folder, whichever of the generator, the validator or the coverage report asks."""

import collections
import ctypes
import ctypes.util
import functools
import os

# The parts of speech in the order of the generator's lists.
PARTS_OF_SPEECH = ("verb", "noun", "adj", "adv")
# The parts of speech as the library numbers them.
WORDNET_POS_NUMBER = {"noun": 1, "verb": 2, "adj": 3, "adv": 4}
# cntlist.rev's sense keys number the parts of speech; 5 is the adjective satellite.
SENSE_KEY_POS = {"1": "noun", "2": "verb", "3": "adj", "4": "adv", "5": "adj"}


@functools.lru_cache(maxsize=None)
def lemmas(wordnet_dir):
    """Part of speech -> WordNet's lemmas (with spaces, not underscores)."""
    out = {}
    for pos in PARTS_OF_SPEECH:
        words = set()
        with open(os.path.join(wordnet_dir, "index." + pos), encoding="latin-1") as f:
            for line in f:
                if not line.startswith(" "):
                    words.add(line.split(" ", 1)[0].replace("_", " "))
        out[pos] = words
    return out


def noun_spellings(wordnet_dir):
    """Noun in lower case -> the spellings WordNet writes it with in its synsets (data.noun,
    which only the generator reads)."""
    spellings = collections.defaultdict(set)
    with open(os.path.join(wordnet_dir, "data.noun"), encoding="latin-1") as f:
        for line in f:
            if line.startswith(" "):
                continue
            parts = line.split(" ")
            count = int(parts[3], 16)
            for word in parts[4:4 + 2 * count:2]:
                word = word.replace("_", " ")
                spellings[word.lower()].add(word)
    return spellings


@functools.lru_cache(maxsize=None)
def irregular_forms(wordnet_dir):
    """Part of speech -> base form -> its irregular forms, in the files' order (WordNet's
    *.exc files, with spaces, not underscores)."""
    out = {}
    for pos in PARTS_OF_SPEECH:
        forms = out[pos] = collections.defaultdict(list)
        with open(os.path.join(wordnet_dir, pos + ".exc"), encoding="latin-1") as f:
            for line in f:
                parts = line.split()
                for base in parts[1:]:
                    forms[base.replace("_", " ")].append(parts[0].replace("_", " "))
    return out


@functools.lru_cache(maxsize=None)
def _sense_counts(wordnet_dir):
    """[(lemma with spaces, part of speech or None, count)] of cntlist.rev, in its order; none
    when the database has no such file."""
    path = os.path.join(wordnet_dir, "cntlist.rev")
    out = []
    if os.path.exists(path):
        with open(path, encoding="latin-1") as f:
            for line in f:
                parts = line.split()
                if len(parts) == 3 and "%" in parts[0]:
                    lemma, rest = parts[0].split("%", 1)
                    out.append((lemma.replace("_", " "), SENSE_KEY_POS.get(rest[:1]), int(parts[2])))
    return out


@functools.lru_cache(maxsize=None)
def frequencies(wordnet_dir):
    """Lemma -> how often WordNet's sense-tagged texts use it."""
    counts = collections.Counter()
    for lemma, _, count in _sense_counts(wordnet_dir):
        counts[lemma] += count
    return counts


@functools.lru_cache(maxsize=None)
def pos_frequencies(wordnet_dir):
    """Lemma -> part of speech -> how often the sense-tagged texts use it in that part."""
    out = collections.defaultdict(collections.Counter)
    for lemma, pos, count in _sense_counts(wordnet_dir):
        out[lemma][pos] += count
    return out


def top_lemmas(wordnet_dir, n):
    """WordNet's n most frequent single-word lemmas by their sense-tag counts."""
    single = [(w, c) for w, c in frequencies(wordnet_dir).items() if " " not in w]
    return [w for w, _ in sorted(single, key=lambda kv: (-kv[1], kv[0]))[:n]]


class Morphology:
    """Base forms of a word, asked of the WordNet library. The library opens one database per
    process: the first one asked for serves every later instance."""

    def __init__(self, wordnet_dir, library=None):
        os.environ["WNSEARCHDIR"] = wordnet_dir
        self.lib = ctypes.CDLL(library or ctypes.util.find_library("wordnet")
                               or "/usr/lib/libwordnet.so")
        if self.lib.wninit() != 0:
            raise RuntimeError("WordNet library cannot open %s" % wordnet_dir)
        self.lib.morphstr.restype = ctypes.c_char_p
        self.lib.morphstr.argtypes = [ctypes.c_char_p, ctypes.c_int]

    def base_forms(self, word, pos):
        number = WORDNET_POS_NUMBER[pos]
        out = []
        base = self.lib.morphstr(ctypes.create_string_buffer(word.encode("latin-1")), number)
        while base:
            out.append(base.decode("latin-1"))
            base = self.lib.morphstr(None, number)
        return out


@functools.lru_cache(maxsize=None)
def morphology(wordnet_dir):
    """The run's one binding of the library."""
    return Morphology(wordnet_dir)
