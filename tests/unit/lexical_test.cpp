// The word description and base forms against the real WordNet 3.0 database. The expected texts
// are worked out from the database records quoted beside them.
#include <gtest/gtest.h>

#include <string>

#include "core/lexical/search.h"
#include "core/lexical/search_steps.h"
#include "core/settings.h"
#include "tests/unit/lexical_home.h"

namespace qv::lexical {
namespace {

class Lexical : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::UseTestLexicalHome(); }
  static std::string Describe(std::string word, int maxSenses = 5, bool withSynonyms = true) {
    return DescribeWord(word, maxSenses, withSynonyms);
  }
};

// noun.exc: "axes ax axis"; the verb rules give "axe".
//   ax n 02764044: ax axe | an edge tool with a heavy bladed head mounted across a handle
//   axis n, six senses:
//     06008609 axis | a straight line through a body or figure that satisfies certain conditions
//     13128771 axis | the main stem or central part about which plant organs or plant parts
//                     such as branches are arranged
//     08171792 Axis | in World War II the alliance of Germany and Italy in 1936 which later
//                     included Japan and other nations; "the Axis opposed the Allies in World
//                     War II"
//     08171094 bloc axis | a group of countries in special alliance
//     05588840 axis axis_vertebra | the 2nd cervical vertebra; serves as a pivot for turning
//                                   the head
//     02764614 axis axis_of_rotation | the center around which something rotates
//   axe v 01257971: axe ax | chop or split with an ax; "axe wood"
//         00354317: ax axe | terminate; "The NSF axed the research program and stopped
//                            funding it"
// The last line of the first gloss is 61 characters: the synonyms stay on it (and wrap at
// once); 65 characters put them on a line of their own.
constexpr char kAxes[] =
    "-noun#NOUN#\n"
    "1. An edge tool with a heavy bladed head mounted across a handle. synonyms: [\n"
    "    axe]\n"
    "\n-noun#NOUN#\n"
    "1. A straight line through a body or figure that satisfies certain conditions.\n"
    "2. The main stem or central part about which plant organs or plant parts such \n"
    "    as branches are arranged.\n"
    "3. In World War II the alliance of Germany and Italy in 1936 which later \n"
    "    included Japan and other nations: \"The Axis opposed the Allies in World War \n"
    "    II\".\n"
    "4. A group of countries in special alliance. synonyms: [bloc]\n"
    "5. The 2nd cervical vertebra: serves as a pivot for turning the head.\n"
    "    synonyms: [axis vertebra]\n"
    "\n-verb#VERB#\n"
    "1. Chop or split with an ax: \"Axe wood\". synonyms: [ax]\n"
    "2. Terminate: \"The NSF axed the research program and stopped funding it\".\n"
    "    synonyms: [ax]\n";

TEST_F(Lexical, InflectedFormIsDescribedUnderEachBaseForm) {
  EXPECT_EQ(Describe("axes"), kAxes);
}

// The library lower-cases the word it is asked for: a capitalised word (a sentence's first) is
// not its own synonym, nor is "Axis" a synonym of "axis" above.
TEST_F(Lexical, CapitalisedWordIsDescribedAsItsLowerCase) {
  EXPECT_EQ(Describe("Ear"), Describe("ear"));
}

TEST_F(Lexical, SpacesAroundTheWordAreTrimmedInPlace) {
  std::string word = "   axes  ";
  EXPECT_EQ(DescribeWord(word), kAxes);
  EXPECT_EQ(word, "axes");
  // Only spaces are trimmed: a tab stays, and the word is then unknown.
  word = " \taxes ";
  EXPECT_EQ(DescribeWord(word), "No Value Was Found For Word: \taxes");
  EXPECT_EQ(word, "\taxes");
}

// re-create v, three senses:
//   01619372 re-create | create anew; "Re-create the boom of the West on a small scale"
//   01693899 copy re-create | make a replica of; "copy that drawing"; "re-create a picture by
//                             Rembrandt"
//   00736817 re-create | form anew in the imagination; recollect and re-form in the mind; "His
//                        mind re-creates the entire world"
// Its spelling variant recreate v has four, of which only the first three are listed:
//   00024279 animate recreate reanimate revive renovate repair quicken vivify revivify |
//            give new life or energy to; "A hot soup will revive me"; "This will renovate my
//            spirits"; "This treatment repaired my health"
//   02418439 play recreate | engage in recreational activities rather than work; occupy
//            oneself in a diversion; "On weekends I play"; "The students all recreate alike"
//   01817956 cheer hearten recreate embolden | give encouragement to
// "recreate" differs from the searched "re-create", so it counts as a synonym.
TEST_F(Lexical, VariantSpellingKeepsTheSenseLimitOfTheFirstEntry) {
  EXPECT_EQ(Describe("re-create"),
            "-verb#VERB#\n"
            "1. Create anew: \"Re-create the boom of the West on a small scale\".\n"
            "2. Make a replica of: \"Copy that drawing\", \"Re-create a picture by Rembrandt\".\n"
            "    synonyms: [copy]\n"
            "3. Form anew in the imagination: recollect and re-form in the mind, \"His mind \n"
            "    re-creates the entire world\".\n"
            "\n"
            "1. Give new life or energy to: \"A hot soup will revive me\", \"This will \n"
            "    renovate my spirits\", \"This treatment repaired my health\". synonyms: [\n"
            "    animate, recreate, reanimate, revive, renovate, repair, quicken, vivify, "
            "revivify]\n"
            "2. Engage in recreational activities rather than work: occupy oneself in a \n"
            "    diversion, \"On weekends I play\", \"The students all recreate alike\".\n"
            "    synonyms: [play, recreate]\n"
            "3. Give encouragement to. synonyms: [cheer, hearten, recreate, embolden]\n");
}

// oryx n 02428349: oryx pasang | large African antelope with long straight nearly upright horns
// A last gloss line of 62 characters sends the synonyms to a line of their own.
TEST_F(Lexical, SynonymsGoToTheirOwnLineAfterALongGloss) {
  EXPECT_EQ(Describe("oryx"),
            "-noun#NOUN#\n"
            "1. Large African antelope with long straight nearly upright horns.\n"
            "    synonyms: [pasang]\n");
  EXPECT_EQ(Describe("oryx", 5, false),
            "-noun#NOUN#\n"
            "1. Large African antelope with long straight nearly upright horns.\n");
}

// fearless a 00081671: unafraid(p) fearless, antonym pointer from word 1 to afraid(p) |
//                      oblivious of dangers or perils or calmly resolute in facing them
//          s 00250119: audacious brave dauntless fearless hardy intrepid unfearing |
//                      invulnerable to fear or intimidation; "audacious explorers"; "fearless
//                      reporters and photographers"; "intrepid pioneers"
TEST_F(Lexical, AdjectiveShowsPositionMarkersAndAntonyms) {
  EXPECT_EQ(Describe("fearless"),
            "-adj#ADJ#\n"
            "1. Oblivious of dangers or perils or calmly resolute in facing them.\n"
            "    synonyms: [unafraid(predicate) (vs. afraid)]\n"
            "2. Invulnerable to fear or intimidation: \"Audacious explorers\", \"Fearless \n"
            "    reporters and photographers\", \"Intrepid pioneers\". synonyms: [\n"
            "    audacious, brave, dauntless, hardy, intrepid, unfearing]\n");
}

// corbelled a 03148654: corbelled, participle pointer to verb 02352842 word 1 | having a corbel
//   corbel v 02352842 (its only sense) | furnish with a corbel; hypernym 02327218:
//   supply provide render furnish | give something useful or necessary to; "We provided the
//   room with an electrical heater"
// The trace is the same the first time in a process and every time after.
TEST_F(Lexical, ParticipleAdjectiveIsFollowedByItsVerb) {
  const std::string expected =
      "-adj#ADJ#\n"
      "1. Having a corbel.\n"
      "       Participle of verb corbel (Sense 1)\n"
      "      =>corbel -- furnish with a corbel\n"
      "       => supply, provide, render, furnish -- give something useful or necessary to: "
      "\"We provided the room with an \n"
      "    electrical heater\"\n";
  EXPECT_EQ(Describe("corbelled"), expected);
  EXPECT_EQ(Describe("corbelled"), expected);
}

TEST_F(Lexical, FixedTextsForBlankAndUnknownWords) {
  EXPECT_EQ(Describe(""), kNoWordText);
  EXPECT_EQ(Describe("     "), kNoWordText);
  EXPECT_EQ(Describe("qzxvw"), "No Value Was Found For Word: qzxvw");
  EXPECT_EQ(Describe("  qzxvw "), "No Value Was Found For Word: qzxvw");
  std::string unknown = "qzxvw";
  Answer answer = Answer::NoWord;
  DescribeWord(unknown, 5, true, nullptr, &answer);
  EXPECT_EQ(answer, Answer::Description);  // shown as it is
}

TEST_F(Lexical, AllSensesWhenNoLimitIsGiven) {
  // axis n has six senses; the sixth: axis axis_of_rotation | the center around which
  // something rotates. line n has 30, numbered in full.
  std::string axis = Describe("axis", 0);
  EXPECT_NE(axis.find("\n6. The center around which something rotates. synonyms: "
                      "[axis of rotation]\n"),
            std::string::npos);
  std::string line = Describe("line", 0);
  EXPECT_NE(line.find("\n30. "), std::string::npos);
  EXPECT_EQ(line.find("\n31. "), std::string::npos);
}

TEST_F(Lexical, ListingOverflowGivesTheTooLargeText) {
  ASSERT_TRUE(Describe("oryx").size() > 0);  // opens the database
  const std::string listing =
      "\n1. Large African antelope with long straight nearly upright horns.\n"
      "    synonyms: [pasang]\n";
  EXPECT_EQ(ListSenses("oryx", NOUN, 5, true, listing.size() + 1), listing);
  EXPECT_EQ(ListSenses("oryx", NOUN, 5, true, listing.size()), kTooLargeText);
  EXPECT_EQ(ListSenses("axis", NOUN, 5, true, 100), kTooLargeText);
}

TEST_F(Lexical, GlossStaysBelowItsLimit) {
  EXPECT_EQ(PrepareGloss(""), "");
  // However long, a gloss stays below its limit and ends with a whole word.
  std::string huge;
  for (int i = 0; i < 1000; ++i) huge += "word ";
  std::string out = PrepareGloss(huge);
  EXPECT_LT(out.size(), kLineLimit);
  EXPECT_EQ(out.substr(out.size() - 4), "word");
}

TEST_F(Lexical, BaseForms) {
  struct Case {
    const char* word;
    const char* base;  // nullptr: none
  } cases[] = {
      {"saw", "see"},       // verb.exc "saw see", though saw is also a noun
      {"axes", "axe"},      // verb rules come before noun.exc "axes ax axis"
      {"geese", "goose"},   // noun.exc
      {"running", "run"},   // verb rules
      {"better", "good"},   // adj.exc "better good well"; better is also a verb and a noun
      {"dog", nullptr},     // already a base form
      {"qzxvw", nullptr},
      {"", nullptr},
      {"   ", nullptr},
  };
  for (const Case& c : cases) {
    std::string word = c.word;
    std::optional<std::string> base = BaseForm(word);
    if (c.base)
      EXPECT_EQ(base, std::optional<std::string>(c.base)) << c.word;
    else
      EXPECT_EQ(base, std::nullopt) << c.word;
  }
  std::string word = "  dogs   ";
  EXPECT_EQ(BaseForm(word), std::optional<std::string>("dog"));
  EXPECT_EQ(word, "dogs");
}

TEST_F(Lexical, StrangeInputIsUnknownAndHarmless) {
  // A whole captured page.
  std::string page(1 << 20, 'a');
  for (std::size_t i = 7; i + 1 < page.size(); i += 8) page[i] = ' ';
  EXPECT_EQ(Describe(page), kNoValueText + page);
  std::string copy = page;
  EXPECT_EQ(BaseForm(copy), std::nullopt);

  // The library's morphology lengthens "bok" to "boschbok" word by word in fixed buffers.
  std::string boks;
  while (boks.size() < 250) boks += "bok_";
  for (std::size_t n : {99u, 101u, 250u}) {
    std::string w = boks.substr(0, n);
    EXPECT_EQ(Describe(w), kNoValueText + w) << n;
    EXPECT_EQ(BaseForm(w), std::nullopt) << n;
  }

  std::string control = "\x01\x02" "dog\x7f\n";
  EXPECT_EQ(Describe(control), kNoValueText + control);
  std::string high = "caf\xe9\x80\xff";
  EXPECT_EQ(Describe(high), kNoValueText + high);
  // Every control and non-ASCII byte, in words short enough to reach the library.
  std::string odd;
  for (int c = 1; c < 256; ++c)
    if (c < 32 || c > 126) odd += static_cast<char>(c);
  for (std::size_t at = 0; at < odd.size(); at += 40) {
    std::string w = odd.substr(at, 40);
    EXPECT_EQ(Describe(w), kNoValueText + w) << at;
    EXPECT_EQ(BaseForm(w), std::nullopt) << at;
  }

  // Keys the library would reduce to nothing.
  for (std::string w : {"(", "(dog", "-", "_-_", "...", "-."}) {
    std::string copy = w;
    EXPECT_EQ(Describe(w), kNoValueText + w) << w;
    EXPECT_EQ(BaseForm(copy), std::nullopt) << w;
  }

  // After all that the library still answers.
  EXPECT_EQ(Describe("oryx").substr(0, 15), "-noun#NOUN#\n1. ");
}

}  // namespace
}  // namespace qv::lexical
