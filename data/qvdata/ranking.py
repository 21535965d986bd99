"""The candidates of a key and how they rank: agreement between independent paths, first
choices, and the rules that leave an equivalent out."""

import collections
import re


MAX_EQUIVALENTS = 12


class Candidate:
    """A French equivalent of an English key: the path that leads to it (its family: "E" the
    English-French dictionary, "R" the French-English one read in reverse, "P:deu" FreeDict
    through German, "A:spa" Apertium through Spanish, ...), its place on that path, and whether
    it is that path's first choice."""

    __slots__ = ("french", "rank", "family", "first")

    def __init__(self, french, rank, family="E", first=False):
        self.french = french
        self.rank = rank
        self.family = family
        self.first = first


def pos_fits(pos, french):
    """French verbs are given in the infinitive; anything else is not a verb's translation."""
    if pos != "verb":
        return True
    # The verb of a phrase comes first, after its pronouns: "se plaindre", "s'en aller",
    # "être couché", "prendre part".
    words = re.sub(r"^(?:se |s')(?:en |y )?", "", re.sub(r"\s*\([^)]*\)$", "", french),
                   flags=re.I).split(" ")
    return bool(re.search(r"(er|ir|re|ïr)$", words[0]))


# What a path's agreement weighs, and what its first choice adds. FreeDict's pivot paths weigh
# less: they often reach French through a reverse reading of their own, and they are many.
FAMILY_WEIGHT = {"E": 1.5, "R": 1.0, "A": 2.0, "N": 1.0}


PIVOT_WEIGHT, PIVOT_WEIGHT_MAX = 0.4, 1.5


APERTIUM_ROMANCE, ROMANCE_OVERLAP = {"A:spa", "A:cat"}, 0.75


FIRST_WEIGHT = {"E": 0.5, "R": 0.25, "A": 0.5, "P": 0.25, "N": 0.0}


# An equivalent that only the reverse reading of a distant gloss reaches scores below this.
DISTANT_READING = 0.2


def scored(candidates):
    """French -> (score, order): a French word that more independent paths lead to scores
    higher; being a path's first choice adds a little. A word that only the reverse reading
    reaches scores lowest, and lower still when the English word was a distant gloss of it."""
    by_french = collections.defaultdict(list)
    for c in candidates:
        by_french[c.french].append(c)
    out = {}
    for french, cs in by_french.items():
        families = {c.family for c in cs}
        firsts = {c.family for c in cs if c.first}
        if families <= {"R"}:
            score = 0.5 if firsts else 0.1
        else:
            pivots = sum(1 for f in families if f.startswith("P:"))
            # Spanish and Catalan share their ambiguities ("house" -> "cámara", "cambra" ->
            # "caméra"): together they count for one path and a half.
            romance = APERTIUM_ROMANCE <= families
            score = sum(FAMILY_WEIGHT[f.split(":")[0]] for f in families if not f.startswith("P:")) \
                - ROMANCE_OVERLAP * romance \
                + sum(FIRST_WEIGHT[f.split(":")[0]] for f in firsts if not f.startswith("P:")) \
                + min(PIVOT_WEIGHT * pivots, PIVOT_WEIGHT_MAX) \
                + (FIRST_WEIGHT["P"] if any(f.startswith("P:") for f in firsts) else 0)
        out[french] = (score, min(c.rank for c in cs), all(distant(c) for c in cs))
    return out


def distant(c):
    """Whether a candidate is reached only through a chain of later choices: a French word whose
    English gloss was not its first ("monter" ... "climb" in third place), or a path through a
    later sense of a word in the middle ("house" -> "cámara" -> "caméra")."""
    return c.family not in ("E", "N") and not c.first


def ranked(candidates, limit):
    """The French equivalents, best first. An equivalent is left out only when a rule finds it
    wrong, never for weak support alone (a usual word often has one witness: trail -> piste):
    a word that only chains of later choices reach, whatever their number, and a reverse reading
    of a distant gloss, when a word that two paths agree on is there."""
    scores = scored(candidates)
    best = max((s for s, _, _ in scores.values()), default=0)
    reached = not all(chained for _, _, chained in scores.values())
    keep = [f for f, (s, _, chained) in scores.items()
            if not (chained and reached or s < DISTANT_READING and best >= 2)]
    keep.sort(key=lambda f: (-scores[f][0], scores[f][1], f))
    if not reached:
        keep = keep[:1]  # chains alone: their best link, not their long tail
    # Of two spellings that differ in capitals only ("Église", "église"), the better one.
    seen = set()
    unique = []
    for f in keep:
        if f.lower() not in seen:
            seen.add(f.lower())
            unique.append(f)
    return unique[:limit]


def main_lines(main, lines, pos_frequency):
    """Key -> the main line's equivalents: the first French of the word's most used part of
    speech leads, the others follow by score."""
    out = {}
    for key, candidates in main.items():
        french = ranked(candidates, MAX_EQUIVALENTS)
        counts = pos_frequency.get(key)
        if counts:
            for pos, _ in sorted(counts.items(), key=lambda kv: (-kv[1], str(kv[0]))):
                if pos in lines and key in lines[pos]:
                    lead = lines[pos][key][0]
                    lead = next((f for f in french if f.replace("œ", "oe") == lead), lead)
                    french = [lead] + [f for f in french if f != lead]
                    break
        out[key] = french[:MAX_EQUIVALENTS]
    return out
