// The expression finder against the real WordNet 3.0 database: the expression a pointed word
// stands in, or none. The pointed word follows the "|" of each sentence.
#include <gtest/gtest.h>

#include <string>

#include "core/lookup/expression.h"
#include "core/lookup/lookup_services.h"
#include "core/settings.h"
#include "tests/unit/lexical_home.h"

namespace qv {
namespace {

class ExpressionFinder : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::UseTestLexicalHome(); }
  // "written -> lemma", or "" when the word stands alone.
  std::string Find(std::wstring marked) {
    const std::size_t bar = marked.find(L'|');
    marked.erase(bar, 1);
    std::optional<Expression> e = FindExpression(marked, bar, m_wordnet);
    if (!e) return "";
    return std::string(e->written.begin(), e->written.end()) + " -> " + e->lemma;
  }
  CWordNetAnalysis m_wordnet;
};

TEST_F(ExpressionFinder, LongestLemmaOfTheSentenceOrNone) {
  const std::pair<std::wstring, std::string> kCases[] = {
      // Inflected words, through the morphology; the pointed word anywhere in it.
      {L"He |gave up smoking.", "gave up -> give up"},
      {L"He gave |up smoking.", "gave up -> give up"},
      {L"She is |looking after her brother.", "looking after -> look after"},
      {L"We \u201C|ran out\u201D of milk.", "ran out -> run out"},
      {L"They bought two |ice creams.", "ice creams -> ice cream"},
      {L"the |White House", "White House -> White House"},
      {L"I saw a |white house on the hill.", ""},
      // The longest lemma, not the shorter one inside it.
      {L"We must |get rid of it.", "get rid of -> get rid of"},
      // A phrasal verb split by a short object; the object itself is no part of it.
      {L"He |gave it up for good.", "gave it up -> give up"},
      {L"She turned the radio |off.", "turned the radio off -> turn off"},
      {L"He gave |it up.", ""},
      // Never across a sentence end, a comma, or a line that starts anew.
      {L"He gave. |Up there, it is cold.", ""},
      {L"He |gave, up to a point, his share.", ""},
      {L"He gave\n|Up", ""},
      // Conservative: function words alone, a preposition before its object, a rare reading.
      {L"She lives |in the house.", ""},
      {L"What did you |do in the morning?", ""},
      {L"He put it |on the table.", ""},
      {L"She ran |up the hill.", ""},
      {L"He |gave me a book.", ""},
      {L"\u0436\u0438\u0437\u043d\u044c |gave up", "gave up -> give up"},
      {L"|\u0436\u0438\u0437\u043d\u044c gave up", ""},
  };
  for (const auto& [marked, expected] : kCases)
    EXPECT_EQ(Find(marked), expected) << ::testing::PrintToString(marked);
}

}  // namespace
}  // namespace qv
