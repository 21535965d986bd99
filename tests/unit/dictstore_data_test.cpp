// The generated dictionary data through the store, as the program carries it: the blocks
// embedded in this executable, the files in the build's lexicon home.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dictionary/dict_store.h"
#include "core/settings.h"
#include "platform/codepage.h"
#include "platform/registry.h"
#include "platform/resources.h"

namespace qv {
namespace {

using enum DictSource;
using platform::Hive;
using platform::RegKey;

class GeneratedData : public ::testing::Test {
 protected:
  void SetUp() override {
    RegKey key = RegKey::Create(Hive::LocalMachine, kLexiconKeyPath);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key.WriteAnsi("WNHome", QV_LEXICON_HOME));
  }
  void TearDown() override { RegKey::DeleteTree(Hive::LocalMachine, L"Software\\Brantel"); }
  static std::wstring Look(DictSource src, const std::wstring& word) {
    return CDictStore(src).Lookup(word);
  }
};

TEST_F(GeneratedData, KnownWords) {
  EXPECT_EQ(Look(Translation, L"Ear"), L"FR : oreille, \u00e9pi, ou\u00efe\r\n");  // reviewed
  EXPECT_EQ(Look(Translation, L"ear"), Look(Translation, L"EAR"));
  EXPECT_NE(Look(Translation, L"house").find(L"maison"), std::wstring::npos);
  EXPECT_EQ(Look(Pronounce, L"ear"), L"\u02c8\u026a\u0259r");
  EXPECT_EQ(Look(Pronounce, L"running"), L"\u02c8r\u028cni\u014b");
  EXPECT_EQ(Look(Pronounce, L"about"), L"\u028c\u02c8ba\u028at");
  EXPECT_NE(Look(Verb, L"run").find(L"courir"), std::wstring::npos);
  EXPECT_NE(Look(Noun, L"house").find(L"maison"), std::wstring::npos);
  EXPECT_EQ(Look(Translation, L"zzzzqv"), L"");
}

// Every key of every block is reached through the catalog and the first-occurrence scan, and
// both builds carry the same thirteen blocks.
TEST_F(GeneratedData, EveryKeyIsReachable) {
  std::size_t keys = 0, bytes = 0;
  for (int n = 223; n <= 235; ++n) {
    std::wstring name = L"#" + std::to_wstring(n);
    std::optional<std::string_view> block = platform::FindBlock(L"DICT", name);
    ASSERT_TRUE(block) << n;
    ASSERT_FALSE(block->empty()) << n;
    bytes += block->size();
    std::wstring text = platform::AnsiToWide(*block);
    std::size_t start = 0;
    for (int line = 0; start < text.size(); ++line) {
      std::size_t end = text.find(L"\r\n", start);
      if (end == std::wstring::npos) end = text.size();
      std::wstring entry = text.substr(start, end - start);
      start = end + 2;
      ++keys;
      if (line % 10 != 0 && start < text.size()) continue;  // a sample, and every last line
      std::size_t eq = entry.find(L'=');
      ASSERT_NE(eq, std::wstring::npos) << entry;
      std::wstring tail = end == text.size() ? L"" : L"\r\n";
      EXPECT_EQ(Look(Translation, entry.substr(0, eq)), L"FR : " + entry.substr(eq + 1) + tail);
    }
  }
  EXPECT_GT(keys, 9000u);
  EXPECT_GT(bytes, 200000u);
}

}  // namespace
}  // namespace qv
