#!/usr/bin/env python3
"""The generator's conversions: ARPAbet to the guide's symbols with stress marks, figures in
French and English, Windows-1252 transliteration, and the cleaning of dictionary lines."""

import collections
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from qvdata import apertium, freedict, inflection, numbers, output, pivots, precision, \
    pronunciation, ranking, reviewed_lexicon, scope, text  # noqa: E402
from qvdata import wordnet as wordnet_db  # noqa: E402
from qvdata.figures import Figures  # noqa: E402


def guide(arpabet):
    return pronunciation.to_guide(arpabet.split())


class Pronunciation(unittest.TestCase):
    def test_stress_mark_before_the_syllable_onset(self):
        self.assertEqual(guide("AH0 B AW1 T"), "ʌˈbaʊt")                 # about
        self.assertEqual(guide("R AH1 N IH0 NG"), "ˈrʌniŋ")              # running
        self.assertEqual(guide("AE2 B AH0 L OW1 N IY0"), "ˌæbʌˈloʊni")   # abalone, final IY0
        self.assertEqual(guide("IH0 K S P L EY1 N"), "ikˈspleɪn")        # explain: onset S P L
        self.assertEqual(guide("EH1 K S T R AH0"), "ˈɛəkstrʌ")            # extra
        self.assertEqual(guide("S T R EH1 NG K TH"), "ˈstrɛəŋkθ")         # strength
        self.assertEqual(guide("IH0 N S AY1 T"), "inˈsaɪt")               # N S is no onset
        self.assertEqual(guide("S IH1 NG ER0"), "ˈsiŋɚ")                  # NG never opens

    def test_context_symbols(self):
        self.assertEqual(guide("K L IH1 R"), "ˈklɪər")                    # clear
        self.assertEqual(guide("B IY1 R"), "ˈbɪər")                       # beer
        self.assertEqual(guide("M EH1 R IY0"), "ˈmɛəri")                  # final unstressed i
        self.assertEqual(guide("IY1 T"), "ˈiːt")

    def test_stress_known_or_guessed(self):
        self.assertEqual(pronunciation.with_stress(["K", "AE", "T"], None), (["K", "AE1", "T"], True))
        self.assertEqual(pronunciation.with_stress(["AH", "B", "AW", "T"], None)[1], False)
        self.assertEqual(pronunciation.with_stress(["X"], ["AH0", "B"]), (["AH0", "B"], True))

    def test_every_symbol_is_in_the_guide(self):
        import validate_dict
        for phone in pronunciation.ARPABET:
            stressed = phone + "1" if phone in pronunciation.VOWELS else phone
            self.assertRegex(guide(stressed), validate_dict.GUIDE_RE)


class Numbers(unittest.TestCase):
    def test_french(self):
        cases = {0: "zéro", 16: "seize", 17: "dix-sept", 21: "vingt et un", 22: "vingt-deux",
                 70: "soixante-dix", 71: "soixante et onze", 79: "soixante-dix-neuf",
                 80: "quatre-vingts", 81: "quatre-vingt-un", 91: "quatre-vingt-onze",
                 100: "cent", 101: "cent un", 200: "deux cents", 201: "deux cent un",
                 1000: "mille", 2000: "deux mille", 1980: "mille neuf cent quatre-vingts"}
        for n, text in cases.items():
            self.assertEqual(numbers.french_number(n), text, n)

    def test_english(self):
        self.assertEqual(numbers.english_number(24), ["twenty", "four"])
        self.assertEqual(numbers.english_number(110), ["one", "hundred", "ten"])
        self.assertEqual(numbers.english_number(2000), ["two", "thousand"])


class Text(unittest.TestCase):
    def test_windows_1252(self):
        figures = Figures()
        clean = text.Cleaner(figures)
        self.assertEqual(clean.cp1252("cœur à l’été", "x"), "cœur à l’été")
        self.assertEqual(clean.cp1252("Afro\u2010Asian", "x"), "Afro-Asian")
        self.assertEqual(clean.cp1252("ångström", "x"), "ångström")
        self.assertEqual(clean.cp1252("Ōsaka", "x"), "Osaka")
        self.assertIsNone(clean.cp1252("/a.ʁe/", "x"))
        self.assertEqual(figures.counts, {"x transliterated": 2, "x dropped (not Windows-1252)": 1})

    def test_keys(self):
        clean = text.Cleaner(Figures())
        self.assertEqual(clean.key("  Give  Up "), "give up")
        self.assertEqual(clean.key("o'clock"), "o'clock")
        self.assertIsNone(clean.key("a=b"))
        self.assertIsNone(clean.key("-ish"))

    def test_dictionary_lines(self):
        self.assertEqual(freedict.parse_entry("abattis /abati/ <n, masc>", ["1. debris, rubble", "2.  [cul] giblets"]),
                         ("abattis", "n, masc", [(None, ["debris", "rubble"]), ("cul", ["giblets"])]))
        self.assertEqual(pivots.plain_equivalents(["1. programme 2. émission", "Film: ein Film",
                                              "see: {x}", "Glück <fem>, Zufall"], 9),
                         ["programme", "émission", "Glück", "Zufall"])
        self.assertEqual(text.domain_label("med"), " (méd)")
        self.assertEqual(text.domain_label("astro"), " (astro)")


class Ranking(unittest.TestCase):
    def test_agreeing_paths_go_first_and_distant_reverse_readings_go(self):
        C = ranking.Candidate
        candidates = [C("touche", (0, 0, 0), "E", True), C("clé", (0, 1, 0), "E"),
                      C("clé", (3, 0, 1), "A:spa"), C("clé", (3, 0, 0), "A:cat", True),
                      C("ton", (3, 1, 0), "A:spa"), C("passe", (1, 0, 0, 1), "R", True),
                      C("clavier", (1, 2, 3, 5), "R")]
        # "ton" comes only through a later sense of a Spanish word, "clavier" only as a later
        # gloss of a French one: chains of later choices, cut when a better word is there.
        self.assertEqual(ranking.ranked(candidates, 9), ["clé", "touche", "passe"])
        self.assertEqual(ranking.ranked(candidates[-2:], 9), ["passe"])
        self.assertEqual(ranking.ranked(candidates[-1:], 9), ["clavier"])  # a chain alone stays
        # One path alone is weak support, not a fault: its word stays, after the words that
        # sources agree on (trail -> piste comes through third languages only).
        weak = [C("sentier", (0, 0, 0), "P:deu", True), C("sentier", (1, 0, 0, 1), "R", True),
                C("sentier", (3, 0, 0), "A:cat", True), C("piste", (3, 0, 0), "A:epo", True),
                C("trace", (0, 0, 3), "P:ita", True)]
        self.assertEqual(ranking.ranked(weak, 9), ["sentier", "piste", "trace"])

    def test_only_french(self):
        words = precision.read_french_words("/usr/share/dict/french")
        for text in ["s'élancer", "cœur (fig)", "drôle de type*", "Corne de l’Afrique",
                     "peut-être", "vingt et un"]:
            self.assertTrue(precision.is_french(text, words), text)
        for text in ["respondre", "recueiller", "Gemeinde oder Stadt"]:
            self.assertFalse(precision.is_french(text, words), text)

    def test_apertium_paths(self):
        wordnet = {"noun": {"cat", "water"}, "verb": {"run"}, "adj": set(), "adv": set()}
        pos_of = collections.defaultdict(set)
        found = apertium.apertium_witnesses(wordnet, {"chat", "eau", "courir"}, pos_of, Figures())
        families = {(key, c.french): set() for key in found for c in found[key]}
        for key, cs in found.items():
            for c in cs:
                families[(key, c.french)].add(c.family)
        self.assertEqual(families[(("run", "verb"), "courir")], {"A:spa", "A:cat", "A:epo"})
        self.assertLessEqual({"A:spa", "A:epo"}, families[(("cat", "noun"), "chat")])
        self.assertIn("verb", pos_of["courir"])


class Precision(unittest.TestCase):
    def test_french_part_of_speech(self):
        wordnet = {"noun": {"climb", "quick", "smooth"}, "verb": {"climb", "smooth"},
                   "adj": {"quick", "smooth"}, "adv": set()}
        lines = {"noun": {"quick": ["rapide"], "smooth": ["lisse", "surface"]},
                 "verb": {"climb": ["monter", "escalade", "zzgrimpouiller"]},
                 "adj": {"smooth": ["lisse"]}, "adv": {}}
        frequency = {"smooth": {"adj": 40, "noun": 1}}
        precision.check_french_pos(lines, wordnet, frequency, Figures())
        # Adjectives leave the noun line for the adjective line, a noun the verb line for the
        # noun line; a word the analysers do not know stays where it was.
        self.assertNotIn("quick", lines["noun"])
        self.assertEqual(lines["adj"]["quick"], ["rapide"])
        self.assertEqual(lines["verb"]["climb"], ["monter", "zzgrimpouiller"])
        self.assertEqual(lines["noun"]["climb"], ["escalade"])
        # "lisse" is a French noun too, but "smooth" is mostly an adjective.
        self.assertEqual(lines["noun"]["smooth"], ["surface"])

    def test_false_friends(self):
        friends = precision.read_false_friends(os.path.join(os.path.dirname(__file__), "false_friends.tsv"))
        self.assertGreaterEqual(len(friends), 100)
        lines = {"noun": {"library": ["librairie", "bibliothèque"]},
                 "verb": {"fail": ["faillir", "échouer", "rater"]}, "adj": {}, "adv": {}}
        main = {"actually": ["actuellement"], "fail": ["faillir", "échouer"]}
        precision.apply_false_friends(lines, main, friends, Figures())
        self.assertEqual(lines["noun"]["library"], ["bibliothèque"])
        # Right for a minor sense ("faillir à son devoir"): after the usual word.
        self.assertEqual(lines["verb"]["fail"], ["échouer", "faillir", "rater"])
        self.assertEqual(main, {"fail": ["échouer", "faillir"]})

    def test_pronominal_verbs(self):
        self.assertEqual([apertium.reflexive(v) for v in ("plaindre", "étonner", "habiller", "hâter")],
                         ["se plaindre", "s'étonner", "s'habiller", "se hâter"])
        wordnet = {"noun": set(), "verb": {"complain", "wonder"}, "adj": set(), "adv": set()}
        found = apertium.apertium_witnesses(wordnet, set(), collections.defaultdict(set), Figures())
        self.assertIn("se plaindre", {c.french for c in found[("complain", "verb")]})
        self.assertIn("se demander", {c.french for c in found[("wonder", "verb")]})
        self.assertTrue(ranking.pos_fits("verb", "s'en aller") and ranking.pos_fits("verb", "être couché"))

    def test_forms_that_are_words_too(self):
        lines = {"noun": {"saw": ["scie"], "leaf": ["feuille"], "leaves": ["feuille"],
                          "ground": ["sol"]},
                 "verb": {"see": ["voir"], "saw": ["scier"], "leave": ["partir"],
                          "grind": ["moudre"]}, "adj": {}, "adv": {}}
        wordnet = {"noun": {"saw", "ground", "leaf"}, "verb": {"saw", "see", "leave", "grind"},
                   "adj": set(), "adv": set()}
        frequency = {"see": {"verb": 1214}, "saw": {"verb": 1}, "leave": {"verb": 414},
                     "leaf": {"noun": 20}, "ground": {"noun": 107}, "grind": {"verb": 10}}
        main = {"saw": ["scier", "scie"], "ground": ["sol"]}
        inflection.add_inflected_readings(main, lines, wordnet_db.morphology("/usr/share/wordnet"), wordnet,
                                 frequency, {}, Figures())
        # "saw" is nearly always the past of "see"; "ground" is mostly the noun.
        self.assertEqual(main["saw"], ["voir", "scier", "scie"])
        self.assertEqual(main["ground"], ["sol", "moudre"])
        self.assertEqual(main["leaves"], ["partir", "feuille"])


class InflectedForms(unittest.TestCase):
    def test_forms_take_their_base_forms_french(self):
        lines = {"noun": {"house": ["maison"], "child": ["enfant"], "saw": ["scie"]},
                 "verb": {"go": ["aller"], "see": ["voir"], "saw": ["scier"], "house": ["loger"],
                          "stop": ["arrêter"], "open": ["ouvrir"]},
                 "adj": {"big": ["grand"]}, "adv": {}}
        # Forms the pronouncing dictionary knows; "openned" is no form of "open" for WordNet.
        known = {"goes", "housed", "housing", "stopped", "stopping", "opened", "openned"}
        wordnet_dir = "/usr/share/wordnet"
        base_of = inflection.add_inflected_forms(lines, wordnet_db.morphology(wordnet_dir),
                                        wordnet_db.irregular_forms(wordnet_dir), known, {},
                                        Figures())
        french = {pos: {k: lines[pos][k][0] for k in base_of[pos]} for pos in lines}
        self.assertEqual(french["noun"], {"houses": "maison", "children": "enfant", "saws": "scie"})
        self.assertEqual(french["verb"], {
            "went": "aller", "gone": "aller", "goes": "aller", "seen": "voir", "sawn": "scier",
            "housed": "loger", "housing": "loger", "stopped": "arrêter", "stopping": "arrêter",
            "opened": "ouvrir"})
        self.assertEqual(french["adj"], {"bigger": "grand", "biggest": "grand"})
        self.assertEqual(lines["verb"]["saw"], ["scier"])  # a lemma of its own keeps its line
        self.assertEqual(lines["adj"]["bigger"], ["grand"])


class Reviewed(unittest.TestCase):
    def test_a_reviewed_entry_overrides_every_source(self):
        with tempfile.TemporaryDirectory() as tmp:
            with open(os.path.join(tmp, "h.tsv"), "w", encoding="utf-8") as f:
                f.write("# a comment\nhouse\tmain\tmaison, domicile\nhouse\tnoun\tmaison, foyer\n"
                        "house\tverb\tnone\nhot\tmain\tchaud (température), épicé\n"
                        "hot\tadj\tchaud, brûlant\n")
            reviewed = reviewed_lexicon.read_reviewed(tmp)
        self.assertEqual(reviewed["hot"]["main"], ["chaud (température)", "épicé"])
        main = {"house": ["caméra", "maison"], "houses": ["logements"], "hot": ["sexy"]}
        lines = {"noun": {"house": ["caméra"], "houses": ["caméras"]},
                 "verb": {"house": ["loger"], "housed": ["logé"]}, "adj": {"hot": ["chaud"]},
                 "adv": {"hot": ["chaudement"]}}
        wordnet = wordnet_db.lemmas("/usr/share/wordnet")
        morphology = wordnet_db.morphology("/usr/share/wordnet")
        reviewed_lexicon.apply_reviewed(main, lines, reviewed, morphology, wordnet, Figures())
        self.assertEqual(main, {"house": ["maison", "domicile"],
                                "hot": ["chaud (température)", "épicé"]})
        self.assertEqual(lines, {"noun": {"house": ["maison", "foyer"]}, "verb": {},
                                 "adj": {"hot": ["chaud", "brûlant"]}, "adv": {}})
        # The plural then takes the reviewed noun line; "none" leaves the verb's forms empty.
        inflection.add_inflected_forms(lines, morphology, wordnet_db.irregular_forms("/usr/share/wordnet"),
                              {"housed"}, reviewed, Figures())
        self.assertEqual(lines["noun"]["houses"], ["maison", "foyer"])
        self.assertNotIn("housed", lines["verb"])

    def test_the_reviewed_files_are_well_formed(self):
        reviewed = reviewed_lexicon.read_reviewed()  # raises on any malformed or doubled line
        self.assertGreater(len(reviewed), 5000)
        for word, entry in reviewed.items():
            with self.subTest(word=word):
                self.assertTrue(all(f.strip() == f and f for fs in entry.values() for f in fs))
        names = scope.read_names()
        self.assertFalse(names & set(reviewed), "a word both reviewed and left out as a name")


class Coverage(unittest.TestCase):
    def test_what_a_popup_shows(self):
        import coverage
        popups = coverage.Popups("qv-lookup", "home", "blocks")
        link = "\n\t\t\t\t\t\t\t\t<A>Désactiver QV</A>"
        popups.shown = {
            "house": ("house  ˈhaʊs *", "[house]\nFR : maison, demeure\r\n\n[house]\n-noun" + link),
            "went": ("went  ˈwɛənt * --> go ˈgoʊ *", "[go]\nFR : aller\r\n\n[go]\n-verb" + link),
            "zyx": ("zyx", "No Value Was Found For Word: zyx" + link),
            "ort": ("ort", "[ort]\n-noun\t\t\t\t\n1. A crumb." + link),
        }
        # A word's own line, as the block holds it; a base form's line is shown, not owned.
        self.assertEqual(popups.translation("house"), "maison, demeure\r\n")
        self.assertEqual(popups.translation("went"), "")
        self.assertTrue(popups.shows_translation("went") and popups.shows_pronunciation("went"))
        for word in ("zyx", "ort"):
            self.assertFalse(popups.shows_translation(word) or popups.shows_pronunciation(word))
            self.assertEqual(popups.translation(word), "")


class Validator(unittest.TestCase):
    """The validator passes well-formed data and names each kind of fault."""

    def setUp(self):
        import tempfile
        import validate_dict
        self.v = validate_dict
        self.tmp = tempfile.TemporaryDirectory()
        self.home = self.tmp.name
        self.blocks = os.path.join(self.home, "blocks")
        os.makedirs(os.path.join(self.home, "dict"))
        os.makedirs(self.blocks)
        for number, letters in self.v.BLOCK_LETTERS.items():
            key = (letters or "4")[0]
            self.block(number, ("%s=x\r\n%sb=y" % (key, key)).encode())
        output.write_catalog(os.path.join(self.home, "dict"))
        output.link_wordnet("/usr/share/wordnet", os.path.join(self.home, "dict"))
        for name, line in zip(self.v.LISTS, (b"run=courir", b"run=course", b"big=grand",
                                             b"fast=vite")):
            self.file(name, line + b"\r\n")
        self.file("qvprn.catalog", b"r=prn-r.txt\r\nother=prn-other.txt\r\n")
        self.file("prn-r.txt", "run=ˈrʌn\r\n".encode())
        self.file("prn-other.txt", "24=ˈtwɛənti ˈfɔːr\r\n".encode())

    def tearDown(self):
        self.tmp.cleanup()

    def block(self, number, data):
        with open(os.path.join(self.blocks, "dict%d.bin" % number), "wb") as f:
            f.write(data)

    def file(self, name, data):
        with open(os.path.join(self.home, "dict", name), "wb") as f:
            f.write(data)

    def faults(self):
        check = self.v.Check()
        dict_dir = os.path.join(self.home, "dict")
        self.v.check_blocks(check, self.blocks)
        self.v.check_catalog(check, dict_dir, self.blocks)
        self.v.check_lists(check, dict_dir)
        self.v.check_pronunciations(check, dict_dir)
        return " | ".join(check.faults)

    def test_well_formed(self):
        self.file("qv.vrb", b"ran=courir\r\nrun=courir\r\n")  # an inflected form, in any order
        self.assertEqual(self.faults(), "")

    def test_each_fault_is_found(self):
        cases = [
            (lambda: self.block(223, b"a=x\r\nab=y\r\n"), "line break after the last line"),
            (lambda: self.block(223, b"\xef\xbb\xbfa=x"), "byte-order mark"),
            (lambda: self.block(223, b"ab=x\r\na=y"), "keys out of order"),
            (lambda: self.block(223, b"a=x\r\na=y"), "duplicate keys"),
            (lambda: self.block(223, b"a=x\nab=y"), "line break other than CR LF"),
            (lambda: self.block(223, b"a=x\tz"), "control character"),
            (lambda: self.block(223, b"b=x"), "belongs to another block"),
            (lambda: self.block(223, b"A=x"), "not in lower case"),
            (lambda: self.block(223, b"a=x=y"), "bad value"),
            (lambda: self.block(223, b"a=\x81"), "undefined in Windows-1252"),
            (lambda: self.block(224, b""), "block 224: empty"),
            (lambda: self.file("qvdict.catalog", b"a=#223\r\nother=#225\r\n"), "should name"),
            (lambda: self.file("qv.nn", b"run=\r\n"), "bad value"),
            (lambda: self.file("qv.dv", b"run=courir"), "last line without CR LF"),
            (lambda: self.file("qv.vrb", b"run=courir\r\nran=aller\r\n"), "no lemma and no inflected"),
            (lambda: self.file("qv.vrb", b"run=courir\r\nrun=aller\r\n"), "twice"),
            (lambda: self.file("prn-r.txt", "run=rʌn\u0259\r\n".encode()), "outside the guide"),
            (lambda: self.file("prn-r.txt", b"run=\xff\r\n"), "not utf-8"),
            (lambda: self.file("qvprn.catalog", b"r=prn-r.txt\r\n"), "no 'other' line"),
        ]
        for damage, expected in cases:
            with self.subTest(expected=expected):
                self.tearDown()
                self.setUp()  # a well-formed home, with one fault added
                damage()
                self.assertIn(expected, self.faults())


if __name__ == "__main__":
    unittest.main()
