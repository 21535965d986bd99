"""Precision: only French on the French lines (the French word list), each equivalent on the
line of its French part of speech (Apertium's French analysers), and no false friends."""

import collections
import os
import re
import subprocess

from qvdata.apertium import APERTIUM_DIR, LT_SPECIAL, LT_UNIT
from qvdata.output import LIST_FILES, write_if_changed
from qvdata.ranking import pos_fits


_ELISION = re.compile(r"^(?:l|d|s|j|m|t|n|c|qu|jusqu|lorsqu|puisqu|presqu)['’](.+)$")


def read_french_words(path):
    words = set()
    if path and os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                words.add(line.strip().lower().replace("œ", "oe").replace("æ", "ae"))
    return words


def is_french(text, words):
    """Whether every word of an equivalent is a French word (or a proper name, a figure); its
    labels in parentheses and asterisks are not looked at."""
    bare = re.sub(r"\([^)]*\)", " ", text).replace("*", " ")
    tokens = [t.strip(".,;:!?\"«»…") for t in bare.split()]
    for token in tokens:
        m = _ELISION.match(token.lower())
        if m:
            token = token[len(token) - len(m.group(1)):]
        if not token or token[0].isupper() or token.isdigit():
            continue
        t = token.lower().replace("œ", "oe").replace("æ", "ae").replace("’", "'")
        if t in words or all(p in words or p == "" for p in re.split(r"[-']", t)):
            continue
        return False
    return True


def keep_french(main, by_pos, words, dict_dir, figures):
    """Drops the equivalents that are not French words; lists them in not-french.txt."""
    if not words:
        return
    verdict = {}
    dropped = collections.Counter()
    for table in [main] + list(by_pos.values()):
        for key in list(table):
            kept = []
            for c in table[key]:
                if c.french not in verdict:
                    verdict[c.french] = is_french(c.french, words)
                if verdict[c.french]:
                    kept.append(c)
                elif table is main:
                    dropped[c.french] += 1
            if kept:
                table[key] = kept
            else:
                del table[key]
    figures.add("French equivalents dropped (not in the French word list)", len(dropped))
    write_if_changed(os.path.join(dict_dir, "not-french.txt"),
                     "".join("%s\n" % f for f in sorted(dropped)).encode("utf-8"))


# A part-of-speech line holds French words of that part of speech: nouns on the noun line,
# infinitives on the verb line, adjectives (or past participles) on the adjective line, adverbs
# on the adverb line. The French analysers of Apertium's pairs with Spanish and Catalan (lt-proc) tell
# which parts of speech a French word can be. An equivalent of another part of speech moves to
# the line where it belongs when the English word has that part of speech too, and goes
# otherwise; a word the analyser does not know stays where it is.
# Both pairs' French analysers: each knows words the other lacks.
FRENCH_ANALYSERS = ("apertium-fr-es/fr-es.automorf.bin", "apertium-fra-cat/fra-cat.automorf.bin")


_ANALYSIS_CLASS = {"n": "noun", "np": "noun", "num": "num", "adj": "adj", "adv": "adv",
                   "preadv": "adv"}


_VERB_TAGS = ("vblex", "vbser", "vbhaver", "vbmod")


_ARTICLES = ("le ", "la ", "les ", "l'", "un ", "une ", "des ")


# What each line accepts of the analyser's classes.
LINE_ACCEPTS = {"noun": {"noun", "num"}, "verb": {"verb"}, "adj": {"adj", "participle", "num"},
                "adv": {"adv"}}


def analyse_french(words):
    """French word -> the classes the analyser gives it ("noun", "verb" for an infinitive,
    "participle", "adj", "adv", "num", "other"); a word it does not know is left out."""
    words = sorted({w for w in words if w and "\n" not in w and not LT_SPECIAL.search(w)})
    classes = {}
    for analyser in FRENCH_ANALYSERS:
        path = os.path.join(APERTIUM_DIR, analyser)
        if words and os.path.exists(path):
            _analyse_with(path, words, classes)
    return classes


def _analyse_with(path, words, classes):
    out = subprocess.run(["lt-proc", path], input=("\n".join(words) + "\n").encode("utf-8"),
                         stdout=subprocess.PIPE, check=True).stdout.decode("utf-8").split("\n")
    for word, line in zip(words, out):
        units = LT_UNIT.findall(line)
        if len(units) != 1 or "/*" in units[0]:
            continue  # unknown, or cut into several words
        found = set()
        for analysis in units[0].split("/")[1:]:
            tags = re.findall(r"<([^>]*)>", analysis)
            if not tags:
                continue
            if tags[0] in _VERB_TAGS:
                # A finite form ("remarque", "marche") tells nothing: many French nouns are
                # spelt as one, and the analyser does not know them all as nouns.
                found.add("verb" if "inf" in tags else "participle" if "pp" in tags else "finite")
            else:
                found.add(_ANALYSIS_CLASS.get(tags[0], "other"))
        found.discard("finite")
        if found:
            classes.setdefault(word, set()).update(found)
    return classes


def head_word(french, pos):
    """The word of an equivalent that decides its part of speech, or None when the equivalent
    is a phrase whose class its first word does not tell (adjective and adverb phrases)."""
    bare = re.sub(r"\s*\([^)]*\)", "", french).replace("*", "").strip()
    low = bare.lower()
    if pos == "verb":
        # "se plaindre", "s'en aller", "s'y prendre": the verb follows the pronouns.
        bare = re.sub(r"^(?:se |s')(?:en |y )?", "", bare, flags=re.I)
    elif pos == "noun":
        for article in _ARTICLES:
            if low.startswith(article):
                bare = bare[len(article):]
                break
    tokens = bare.split()
    if not tokens or len(tokens) > 1 and pos in ("adj", "adv"):
        return None
    return tokens[0]


NOUN_SHARE = 4


def check_french_pos(lines, wordnet, pos_frequency, figures):
    """Moves each equivalent on a part-of-speech line that the analyser knows in other parts
    of speech only to the line where it belongs, or drops it."""
    heads = {(pos, f): head_word(f, pos) for pos in lines for fs in lines[pos].values() for f in fs}
    classes = analyse_french({h for h in heads.values() if h})
    moves = []
    for pos in lines:
        for key in sorted(lines[pos]):
            kept = []
            for f in lines[pos][key]:
                found = classes.get(heads[(pos, f)])
                if found is None or found & LINE_ACCEPTS[pos]:
                    kept.append(f)
                    continue
                targets = [p for p in LIST_FILES if p != pos and found & LINE_ACCEPTS[p]
                           and key in wordnet[p] and (p != "verb" or pos_fits(p, f))]
                if targets:
                    moves.append((targets[0], key, f))
                    figures.add("French equivalents moved to their part of speech")
                else:
                    figures.add("French equivalents dropped (another part of speech)")
            if kept:
                lines[pos][key] = kept
            else:
                del lines[pos][key]
    for pos, key, f in moves:
        line = lines[pos].setdefault(key, [])
        if f not in line:
            line.append(f)
    # The same French on the noun line and the adjective line of a word that is mostly an
    # adjective ("smooth": "lisse") is the adjective; the French noun it also spells ("une
    # lisse") is not what the English noun means.
    for key in sorted(set(lines["noun"]) & set(lines["adj"])):
        counts = pos_frequency.get(key, {})
        if counts.get("noun", 0) * NOUN_SHARE >= counts.get("adj", 0):
            continue
        noun_line = [f for f in lines["noun"][key] if f not in lines["adj"][key]]
        figures.add("adjectives dropped from noun lines", len(lines["noun"][key]) - len(noun_line))
        if noun_line:
            lines["noun"][key] = noun_line
        else:
            del lines["noun"][key]


def read_false_friends(path):
    """English word -> French look-alike -> the parts of speech where it is right after all."""
    out = collections.defaultdict(dict)
    if path and os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                if line.startswith("#") or not line.strip():
                    continue
                english, french, right = line.rstrip("\n").split("\t")[:3]
                out[english][normal_french(french)] = set() if right == "-" else set(right.split(","))
    return out


def normal_french(text):
    return re.sub(r"\s*\([^)]*\)", "", text).replace("*", "").strip().lower().replace("œ", "oe")


def without_false_friends(french, friends, pos):
    """The equivalents without the look-alikes that are wrong on this line (pos None: the main
    line, where a look-alike right for some part of speech is kept); a look-alike right for a
    minor sense goes after the first other equivalent."""
    if not friends:
        return french
    kept, minor = [], []
    for f in french:
        right = friends.get(normal_french(f))
        if right is None:
            kept.append(f)
        elif right and (pos is None or pos in right):
            minor.append(f)
    if not kept:
        return minor
    return kept[:1] + minor + kept[1:]


def apply_false_friends(lines, main, friends, figures):
    for pos, table in list(lines.items()) + [(None, main)]:
        for key in sorted(set(table) & set(friends)):
            mended = without_false_friends(table[key], friends[key], pos)
            if mended != table[key]:
                figures.add("lines mended for false friends")
            if mended:
                table[key] = mended
            else:
                del table[key]
