// The prefix list of the look-up window: ranking and prefixes on a small list, then the real
// keys of the generated dictionary and of WordNet.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/history/word_list.h"

namespace qv {
namespace {

using Words = std::vector<std::wstring>;

TEST(WordList, MostFrequentFirstThenAlphabetical) {
  CWordList list;
  for (auto [key, f] : std::initializer_list<std::pair<const char*, unsigned>>{
           {"house", 157}, {"hour", 120}, {"houses", 5}, {"housing", 5}, {"hound", 0},
           {"House", 3}, {"how", 400}, {"\xe9t\xe9", 2}})
    list.Add(key, f);
  list.Finish();
  EXPECT_EQ(list.Size(), 7u);  // "House" is "house", with the higher frequency
  EXPECT_EQ(list.Suggest(L"HOU"), (Words{L"house", L"hour", L"houses", L"housing", L"hound"}));
  EXPECT_EQ(list.Suggest(L"hou", 2), (Words{L"house", L"hour"}));
  EXPECT_EQ(list.Suggest(L"\u00c9t"), (Words{L"\u00e9t\u00e9"}));
  EXPECT_EQ(list.Suggest(L"housez"), Words{});
  EXPECT_EQ(list.Suggest(L"h\u0101"), Words{});  // no key holds a character outside the code page
  EXPECT_EQ(list.Suggest(L""), Words{});
}

TEST(WordList, GeneratedDictionaryAndWordNet) {
  const std::string home = QV_LEXICON_HOME;
  CWordList list = CWordList::Load(home, home + "dict");
  EXPECT_GT(list.Size(), 100000u);
  Words hou = list.Suggest(L"hou");
  ASSERT_EQ(hou.size(), CWordList::kMaxSuggestions);
  EXPECT_EQ(hou[0], L"house");
  EXPECT_NE(std::find(hou.begin(), hou.end(), L"houses"), hou.end());  // from the lists
  EXPECT_EQ(list.Suggest(L"went").front(), L"went");
  EXPECT_EQ(list.Suggest(L"ice cr").front(), L"ice cream");  // WordNet's compounds, with spaces
}

}  // namespace
}  // namespace qv
