"""Builds QV's dictionary data from open sources installed as Debian (and npm) packages.

Writes:
  BLOCKS/dict223.bin .. dict235.bin   the built-in English->French blocks (Windows-1252, CR LF)
  HOME/dict/qvdict.catalog            initial letter -> block, "other", "qv_language"
  HOME/dict/qv.vrb qv.nn qv.dj qv.dv  French translations per part of speech (ISO 8859-1)
  HOME/dict/qvprn.catalog, prn-*.txt  pronunciations in the guide's symbols (UTF-8)
  HOME/dict/<WordNet files>           links to the WordNet 3.0 database
  HOME/dict/LICENSES.txt              the licence notices of every source
  HOME/dict/figures.txt               what was kept, transliterated and dropped

The stages, in the order they run: sources (freedict, pivots, apertium, numbers), ranking,
precision, the reviewed lexicon, inflection, pronunciation, output. One Figures object, made
here, goes to each stage that counts. Python 3 standard library only.
"""

import argparse
import os
import sys

from qvdata import reviewed_lexicon, wordnet as wordnet_db
from qvdata.apertium import APERTIUM_PACKAGES, apertium_available, apertium_witnesses, fill_pos_lines
from qvdata.figures import Figures
from qvdata.freedict import add_proper_nouns, add_spelling_variants, add_tagged_pos, collect, \
    read_french_pos
from qvdata.inflection import add_inflected_forms, add_inflected_readings, drop_weak_inflected
from qvdata.numbers import add_numbers
from qvdata.output import link_wordnet, list_lines, write_blocks, write_catalog, write_if_changed, \
    write_licences, write_lists
from qvdata.pivots import PIVOTS, add_witnesses, pivot_support
from qvdata.precision import apply_false_friends, check_french_pos, keep_french, \
    read_false_friends, read_french_words
from qvdata.pronunciation import read_cmudict, write_pronunciations
from qvdata.ranking import main_lines

DATA_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def parse_args(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--home", required=True, help="lexicon home folder to fill (its dict/)")
    ap.add_argument("--blocks", required=True, help="folder for the DICT blocks")
    ap.add_argument("--freedict", default="/usr/share/dictd")
    ap.add_argument("--wordnet", default="/usr/share/wordnet")
    ap.add_argument("--cmudict", default="/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict")
    ap.add_argument("--cmudict-stress", default="", help="index.js of cmu-pronouncing-dictionary")
    ap.add_argument("--french-words", default="/usr/share/dict/french",
                    help="French word list (wfrench); equivalents not made of its words are dropped")
    ap.add_argument("--false-friends", default=os.path.join(DATA_DIR, "false_friends.tsv"))
    ap.add_argument("--reviewed", default=reviewed_lexicon.DEFAULT_DIR,
                    help="folder of the reviewed lexicon, the highest authority")
    return ap.parse_args(argv)


def gather(args, wordnet, figures):
    """English key -> candidates, and part of speech -> key -> candidates, from every source."""
    main_entries, by_pos = collect(args.freedict, wordnet, figures)
    pos_of = read_french_pos(args.freedict)
    pivots = pivot_support(args.freedict, figures)
    apertium = {}
    if apertium_available():
        proposed = {c.french for cs in main_entries.values() for c in cs}
        proposed.update(f for fs in pivots[0].values() for f in fs)
        apertium = apertium_witnesses(wordnet, proposed, pos_of, figures)
    else:
        print("gen_dict: Apertium's dictionaries missing: fewer witnesses", file=sys.stderr)
    add_witnesses(main_entries, by_pos, pivots, apertium, wordnet, figures)
    add_numbers(main_entries, figures)
    add_spelling_variants(main_entries, by_pos, wordnet, figures)
    add_proper_nouns(main_entries, args.wordnet, figures)
    add_tagged_pos(main_entries, by_pos, wordnet, pos_of, figures)
    fill_pos_lines(by_pos, apertium, wordnet, figures)
    return main_entries, by_pos


def licences(args):
    """(title, path of its notice) of every source the data come from."""
    npm_licence = os.path.join(os.path.dirname(args.cmudict_stress), "license") \
        if args.cmudict_stress else None
    freedicts = ["freedict-eng-fra", "freedict-fra-eng"] + sorted(
        {n for names in PIVOTS.values() for n in names
         if n and os.path.exists(os.path.join(args.freedict, n + ".index"))})
    return [
        ("FreeDict %s (see the licence below)" % n[len("freedict-"):],
         "/usr/share/doc/dict-%s/copyright" % n) for n in freedicts] + [
        ("CMU Pronouncing Dictionary (BSD-2-Clause), from pocketsphinx-en-us",
         "/usr/share/doc/pocketsphinx-en-us/copyright"),
        ("CMU Pronouncing Dictionary, stress marks from cmu-pronouncing-dictionary (ISC)", npm_licence),
        ("WordNet 3.0 (WordNet licence)", "/usr/share/doc/wordnet-base/copyright"),
    ] + [("Apertium %s (GPL)" % n, "/usr/share/doc/%s/copyright" % n) for n in APERTIUM_PACKAGES] + [
        ("French word list, wfrench (GPL), used to check the French side",
         "/usr/share/doc/wfrench/copyright"),
    ]


def main(argv=None):
    args = parse_args(argv)
    dict_dir = os.path.join(args.home, "dict")
    os.makedirs(dict_dir, exist_ok=True)
    figures = Figures()
    wordnet = wordnet_db.lemmas(args.wordnet)
    morphology = wordnet_db.morphology(args.wordnet)
    pos_frequency = wordnet_db.pos_frequencies(args.wordnet)

    main_entries, by_pos = gather(args, wordnet, figures)
    keep_french(main_entries, by_pos, read_french_words(args.french_words), dict_dir, figures)
    drop_weak_inflected(main_entries, by_pos, morphology, figures)
    lines = list_lines(by_pos, figures)
    check_french_pos(lines, wordnet, pos_frequency, figures)
    friends = read_false_friends(args.false_friends)
    apply_false_friends(lines, {}, friends, figures)
    main_french = main_lines(main_entries, lines, pos_frequency)
    apply_false_friends({}, main_french, friends, figures)
    reviewed = reviewed_lexicon.read_reviewed(args.reviewed)
    reviewed_lexicon.apply_reviewed(main_french, lines, reviewed, morphology, wordnet, figures)
    base_of = add_inflected_forms(lines, morphology, wordnet_db.irregular_forms(args.wordnet),
                                  set(read_cmudict(args.cmudict)), reviewed, figures)
    add_inflected_readings(main_french, lines, morphology, wordnet, pos_frequency, reviewed,
                           figures)

    write_blocks(main_french, args.blocks, figures)
    write_catalog(dict_dir)
    write_lists(lines, base_of, wordnet_db.frequencies(args.wordnet), dict_dir, figures)
    write_pronunciations(args.cmudict, args.cmudict_stress, wordnet, dict_dir, figures)
    link_wordnet(args.wordnet, dict_dir)
    write_licences(licences(args), dict_dir)
    write_if_changed(os.path.join(dict_dir, "figures.txt"), figures.report().encode())
    return 0
