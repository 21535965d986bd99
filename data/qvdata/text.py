"""The text of keys and equivalents as the dictionary's files can hold it: Windows-1252 in the
blocks, ISO 8859-1 in the part-of-speech lists. What is transliterated or dropped is counted in
the run's figures."""

import re
import unicodedata


# FreeDict's domain labels, in the short French form the dictionary uses.
DOMAIN_LABELS = {"cul": "cu", "med": "méd", "mus": "mus", "geol": "géol", "cine": "ciné",
                 "bot": "bot", "zool": "zoo", "mil": "mil", "jur": "jur", "fin": "fin"}


# Characters Windows-1252 lacks, and what they become.
TRANSLITERATE = {"\u2010": "-", "\u2011": "-", "\u2012": "-", "\u2015": "-", "\u2212": "-",
                 "\u00a0": " ", "\u2009": " ", "\u202f": " ", "\u2032": "'", "\u02bc": "'"}


KEY_CHARS = re.compile(r"^[a-z0-9àâäçéèêëîïôöùûüÿñæœ][a-z0-9àâäçéèêëîïôöùûüÿñæœ '.\-/]*\*?$")


LATIN1_SPELLINGS = {"œ": "oe", "Œ": "Oe", "€": "EUR", "…": "..."}


def domain_label(label):
    if not label:
        return ""
    label = label.strip().lower()
    return " (%s)" % DOMAIN_LABELS.get(label, label)


class Cleaner:
    """Cleans keys and equivalents for one run, counting in its figures what had to change."""

    def __init__(self, figures):
        self.figures = figures

    def cp1252(self, text, what):
        """The text as Windows-1252 can hold it, or None; transliterations and losses are counted."""
        try:
            text.encode("cp1252")
            return text
        except UnicodeEncodeError:
            pass
        out = "".join(TRANSLITERATE.get(c, c) for c in text)
        try:
            out.encode("cp1252")
        except UnicodeEncodeError:
            decomposed = unicodedata.normalize("NFKD", out)
            out = "".join(c for c in decomposed if not unicodedata.combining(c))
            out = unicodedata.normalize("NFC", out)
            try:
                out.encode("cp1252")
            except UnicodeEncodeError:
                self.figures.add(what + " dropped (not Windows-1252)")
                return None
        self.figures.add(what + " transliterated")
        return out

    def french(self, text, what):
        text = re.sub(r"\s+/[^/]*/", "", text)  # a pronunciation ("Mexico /me.ksi.ko/")
        text = re.sub(r"\s+", " ", text).strip()
        if not text or "=" in text:
            return None
        return self.cp1252(text, what)

    def key(self, text):
        key = re.sub(r"\s+", " ", text).strip().lower()
        key = self.cp1252(key, "key")
        if key is None or not KEY_CHARS.match(key):
            self.figures.add("keys dropped (characters)")
            return None
        return key

    def latin1(self, french, what):
        """Equivalents as ISO 8859-1, which the part-of-speech lists are in: œ, € and … are spelt
        out (oe, EUR, ...); an equivalent with another character it cannot hold is dropped."""
        out = []
        for f in french:
            t = f
            for a, b in LATIN1_SPELLINGS.items():
                t = t.replace(a, b)
            try:
                t.encode("latin-1")
            except UnicodeEncodeError:
                self.figures.add("%s equivalents dropped (not ISO 8859-1)" % what)
                continue
            if t != f:
                self.figures.add("%s equivalents transliterated" % what)
            out.append(t)
        return out
