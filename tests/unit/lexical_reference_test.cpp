// The program's reader of the mapped WordNet files against the WordNet library, the reference:
// every lemma of the four index files described and reduced to its base form by both, which
// must agree byte for byte (headings and answers included). Both readers keep the morphology's
// state between calls, so each is asked the same sequence.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "core/lexical/library_wordnet.h"
#include "core/lexical/search_steps.h"
#include "core/lexical/wordnet.h"
#include "core/settings.h"
#include "tests/unit/lexical_home.h"

namespace qv::lexical {
namespace {

// The lemmas of the index files, in file order, each once.
std::vector<std::string> IndexLemmas(const std::string& dict) {
  std::vector<std::string> lemmas;
  std::set<std::string> seen;
  for (const char* part : {"noun", "verb", "adj", "adv"}) {
    FILE* f = std::fopen((dict + "index." + part).c_str(), "rb");
    if (!f) continue;
    char line[4096];
    while (std::fgets(line, sizeof line, f)) {
      if (line[0] == ' ') continue;  // the licence
      std::string lemma(line, std::string(line).find(' '));
      if (seen.insert(lemma).second) lemmas.push_back(lemma);
    }
    std::fclose(f);
  }
  return lemmas;
}

struct Described {
  std::string text;
  std::vector<std::string> headings;
  Answer answer = Answer::NoWord;
  std::optional<std::string> base;
  std::vector<std::optional<std::string>> inflected;
};

Described Ask(WordNet& wn, const std::string& lemma, bool inflections) {
  Described d;
  std::string word = lemma;
  d.text = DescribeWord(wn, word, 5, true, &d.headings, &d.answer);
  word = lemma;
  d.base = BaseForm(wn, word);
  if (inflections)
    for (const char* ending : {"s", "es", "ed", "ing", "er", "est"}) {
      word = lemma + ending;
      d.inflected.push_back(BaseForm(wn, word));
    }
  return d;
}

TEST(LexicalReference, TheMappedReaderAgreesWithTheLibraryOverTheWholeIndex) {
  testing::UseTestLexicalHome();
  const std::vector<std::string> lemmas =
      IndexLemmas(testing::HostPath(std::string(QV_WORDNET_DB) + "/"));
  ASSERT_GT(lemmas.size(), 140000u);
  ASSERT_TRUE(LibraryWordNet().Open());
  ASSERT_TRUE(ProgramWordNet().Open());

#ifdef _WIN32
  // Under Wine every seek of the library is a system call: a sample of one lemma in eight
  // keeps the run within minutes; the native build compares all of them.
  const std::size_t step = 8;
#else
  const std::size_t step = 1;
#endif
  std::size_t compared = 0, differing = 0;
  for (std::size_t i = 0; i < lemmas.size(); i += step) {
    const bool inflections = i % (4 * step) == 0;
    Described expected = Ask(LibraryWordNet(), lemmas[i], inflections);
    Described actual = Ask(ProgramWordNet(), lemmas[i], inflections);
    ++compared;
    if (expected.text == actual.text && expected.headings == actual.headings &&
        expected.answer == actual.answer && expected.base == actual.base &&
        expected.inflected == actual.inflected)
      continue;
    if (++differing <= 5) {
      EXPECT_EQ(actual.text, expected.text) << lemmas[i];
      EXPECT_EQ(actual.headings, expected.headings) << lemmas[i];
      EXPECT_EQ(actual.base, expected.base) << lemmas[i];
      EXPECT_EQ(actual.inflected, expected.inflected) << lemmas[i];
    }
  }
  EXPECT_EQ(differing, 0u) << "of " << compared << " lemmas";
  std::printf("%zu lemmas compared\n", compared);
}

}  // namespace
}  // namespace qv::lexical
