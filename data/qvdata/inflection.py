"""Inflected forms: the regular English endings (shared with the coverage report), the
inflected forms that the lists carry with their base form's French, the weak lines of forms
whose base form has a sound one, and the main lines of forms that are words of their own."""

import collections
import re

from qvdata.output import LIST_FILES
from qvdata.ranking import MAX_EQUIVALENTS


def drop_weak_inflected(main, by_pos, morphology, figures):
    """A word whose own line rests on weak paths only (one pivot dictionary, reverse readings of
    a distant gloss: "bigger" -> "strictement supérieur") while it is an inflected form of a word
    with a sound line ("big") loses its line: the look-up then shows the base form's French. A
    line that a direct dictionary or Apertium gives stays ("glasses" -> "lunettes")."""
    strong = {}

    def is_strong(table, key):
        if (id(table), key) not in strong:
            cs = table.get(key, ())
            strong[(id(table), key)] = any(
                c.family in ("E", "N") or c.family.startswith("A:") or c.family == "R" and c.first
                for c in cs) or len({c.family for c in cs if c.family.startswith("P:")}) >= 2
        return strong[(id(table), key)]

    for key in sorted(main):
        if " " in key or is_strong(main, key):
            continue
        bases = {b for pos in LIST_FILES for b in morphology.base_forms(key, pos)} - {key}
        if any(is_strong(main, b) for b in bases):
            del main[key]
            figures.add("weak lines of inflected forms dropped")
    for pos, table in by_pos.items():
        for key in sorted(table):
            if " " in key or is_strong(table, key):
                continue
            if any(is_strong(table, b) for b in set(morphology.base_forms(key, pos)) - {key}):
                del table[key]
                figures.add("weak lines of inflected forms dropped")


# "saw" is a noun and a verb of its own, and the past of "see"; in running text it is nearly
# always the past of "see". The main line of such a form gives both readings' French, the more
# likely reading first. How likely each is comes from WordNet's sense-tagged texts: the form's
# own count against its base form's count in that part of speech, shared among the forms the
# base form has there.
INFLECTED_READING_FORMS = {"verb": 4, "noun": 1}


# The inflected reading comes first when it is this many times likelier than the form's own.
INFLECTED_READING_MARGIN = 2


def inflected_readings(form, lines, morphology, pos_frequency):
    """(weight, base form, its first French) of each reading of a form as an inflection."""
    out = []
    for pos, share in INFLECTED_READING_FORMS.items():
        for base in morphology.base_forms(form, pos):
            if base != form and base in lines[pos]:
                out.append((pos_frequency.get(base, {}).get(pos, 0) / share, base,
                            lines[pos][base][0]))
    return out


def add_inflected_readings(main, lines, morphology, wordnet, pos_frequency, reviewed, figures):
    """The main line of a word that is also an inflected form ("saw") gives that reading's
    French too, first when it is the likelier one; an inflected form of two different words
    ("leaves": "leave", "leaf") gets a main line with both. A reviewed word's line is left as
    its readers wrote it."""
    for key in sorted(main):
        if " " in key or key in reviewed or not any(key in wordnet[p] for p in LIST_FILES):
            continue
        readings = inflected_readings(key, lines, morphology, pos_frequency)
        if not readings:
            continue
        own = sum(pos_frequency.get(key, {}).values())
        weight, _, french = max(readings)
        if french in main[key]:
            continue
        first = weight > INFLECTED_READING_MARGIN * own
        main[key] = ([french] + main[key] if first else main[key] + [french])[:MAX_EQUIVALENTS]
        figures.add("main lines with an inflected reading" + (" first" if first else ""))
    forms = {f for table in lines.values() for f in table} - set(main) - set(reviewed)
    for form in sorted(forms):
        if " " in form:
            continue
        readings = sorted(inflected_readings(form, lines, morphology, pos_frequency), reverse=True)
        french = []
        for _, _, f in readings:
            if f not in french:
                french.append(f)
        if len({base for _, base, _ in readings}) >= 2 and len(french) >= 2:
            main[form] = french
            figures.add("main lines of inflected forms of two words")


# The regular English endings, the one rule set of the generator and the coverage report.
CONSONANTS = "bcdfghjklmnpqrstvwxz"
# A final consonant after one vowel is doubled in some verbs ("stopped") and not in others
# ("opened"); in adjectives, after these letters only ("bigger", "thinner", "hotter").
DOUBLED_IN_VERBS = re.compile(r"[^aeiou][aeiou][bdgklmnprt]$")
DOUBLED_IN_ADJECTIVES = re.compile(r"[^aeiou][aeiou][bdgmnpt]$")


def regular_forms(word, pos):
    """The forms the regular English endings make of a base form (the adverbs take the
    adjectives' comparatives: "faster")."""
    if not re.match(r"^[a-z]+$", word):
        return []
    if word.endswith(("s", "x", "z", "ch", "sh")):
        plural = word + "es"
    elif len(word) > 1 and word[-1] == "y" and word[-2] in CONSONANTS:
        plural = word[:-1] + "ies"
    else:
        plural = word + "s"
    if pos == "noun":
        return [plural] + ([word[:-3] + "men"] if word.endswith("man") else [])
    stem = word[:-1] if word.endswith("e") and not word.endswith(("ee", "ye", "oe")) else word
    if pos == "verb":
        if len(word) > 1 and word[-1] == "y" and word[-2] in CONSONANTS:
            past = word[:-1] + "ied"
        else:
            past = stem + "ed"
        forms = [plural, past, stem + "ing"]
        if word.endswith("o"):
            forms.append(word + "es")
        # Both spellings are offered, the pronouncing dictionary decides.
        if DOUBLED_IN_VERBS.search(word):
            forms += [word + word[-1] + "ed", word + word[-1] + "ing"]
        return forms
    if len(word) > 1 and word[-1] == "y" and word[-2] in CONSONANTS:
        forms = [word[:-1] + "ier", word[:-1] + "iest"]
    else:
        forms = [stem + "er", stem + "est"]
    if DOUBLED_IN_ADJECTIVES.search(word):
        forms += [word + word[-1] + "er", word + word[-1] + "est"]
    return forms


def add_inflected_forms(lines, morphology, exceptions, known_words, reviewed, figures):
    """Adds each list's inflected forms with their base form's French; a form that has a line
    of its own keeps it, and so does a reviewed word's line, even empty ("none"); a reviewed
    word takes its base form's line for a part of speech its entry does not give ("defending",
    a WordNet adjective, shows the verb "defend"'s line over its verb senses). Returns part of
    speech -> inflected form -> its base form."""
    base_of = {}
    for pos, entries in lines.items():
        base_of[pos] = {}
        # form -> the base forms it was made from
        made_from = collections.defaultdict(set)
        for base in entries:
            irregular = exceptions[pos].get(base, ())
            for form in irregular:
                made_from[form].add(base)
            for n, form in enumerate(regular_forms(base, pos)):
                # A noun takes its regular plural unless it has an irregular one ("children");
                # the other endings are kept for words that the pronouncing dictionary knows, so
                # that "beautifuller" or "stopeed" stay out.
                if pos == "noun" and n == 0 and len(base) > 2 and not irregular \
                        or form in known_words:
                    made_from[form].add(base)
        added = 0
        for form in sorted(made_from):
            if form in entries or pos in reviewed.get(form, ()):
                continue
            try:
                form.encode("latin-1")
            except UnicodeEncodeError:
                continue
            # The base forms in the library's order, as the look-up shows their senses.
            bases = [b for b in morphology.base_forms(form, pos) if b in made_from[form]]
            if not bases:
                figures.add("inflected forms not led back to their base (%s)" % pos)
                continue
            entries[form] = entries[bases[0]]
            base_of[pos][form] = bases[0]
            added += 1
        figures.add("list %s inflected forms" % LIST_FILES[pos], added)
    return base_of
