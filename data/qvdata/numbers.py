"""Figures are words too ("24", "100"): their names in French and in English."""

from qvdata.ranking import Candidate


# Figures are words too ("24", "100"): their French names, in the traditional spelling
# ("vingt et un", "quatre-vingts", "deux cents", hyphens only below one hundred).
_UNITS = ["zéro", "un", "deux", "trois", "quatre", "cinq", "six", "sept", "huit", "neuf", "dix",
          "onze", "douze", "treize", "quatorze", "quinze", "seize"]


_TENS = {20: "vingt", 30: "trente", 40: "quarante", 50: "cinquante", 60: "soixante"}


def french_number(n):
    if n <= 16:
        return _UNITS[n]
    if n < 20:
        return "dix-" + _UNITS[n - 10]
    if n < 70:
        tens, unit = n // 10 * 10, n % 10
        if unit == 0:
            return _TENS[tens]
        return _TENS[tens] + (" et un" if unit == 1 else "-" + _UNITS[unit])
    if n < 80:
        return "soixante" + (" et onze" if n == 71 else "-" + french_number(n - 60))
    if n < 100:
        return "quatre-vingt" + ("s" if n == 80 else "-" + french_number(n - 80))
    if n < 1000:
        hundreds, rest = divmod(n, 100)
        head = "cent" if hundreds == 1 else _UNITS[hundreds] + " cent" + ("" if rest else "s")
        return head + ("" if rest == 0 else " " + french_number(rest))
    if n < 1000000:
        thousands, rest = divmod(n, 1000)
        head = "mille" if thousands == 1 else french_number(thousands) + " mille"
        return head + ("" if rest == 0 else " " + french_number(rest))
    return None


def add_numbers(main, figures):
    for n in list(range(0, 101)) + [200, 300, 400, 500, 1000, 2000, 10000, 100000]:
        # The figure, and the compound names of numbers in words ("twenty-five").
        names = english_number(n)
        for key in [str(n)] + (["-".join(names)] if len(names) == 2 and n < 100 else []):
            if key not in main:
                main[key].append(Candidate(french_number(n), (3, 0, 0), "N", True))
                figures.add("keys for figures")


_EN_UNITS = ("zero one two three four five six seven eight nine ten eleven twelve thirteen "
             "fourteen fifteen sixteen seventeen eighteen nineteen").split()


_EN_TENS = "_ _ twenty thirty forty fifty sixty seventy eighty ninety".split()


def english_number(n):
    """The English name of a figure, as the words CMUdict knows."""
    if n < 20:
        return [_EN_UNITS[n]]
    if n < 100:
        return [_EN_TENS[n // 10]] + ([_EN_UNITS[n % 10]] if n % 10 else [])
    if n < 1000:
        return [_EN_UNITS[n // 100], "hundred"] + (english_number(n % 100) if n % 100 else [])
    if n < 1000000:
        return english_number(n // 1000) + ["thousand"] + (english_number(n % 1000) if n % 1000 else [])
    return None
