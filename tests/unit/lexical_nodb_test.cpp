// A missing or damaged WordNet database: the program keeps running, says so, and finds the
// database as soon as the lexicon home leads to it, without a restart. One process, in order.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/lexical/search.h"
#include "core/lexical/search_steps.h"
#include "core/settings.h"
#include "tests/unit/frequent_lemmas.h"
#ifndef _WIN32
#include "platform/registry_stub.h"
#endif

namespace qv::lexical {
namespace {

using platform::Hive;
using platform::RegKey;

void SetHome(Hive hive, const std::string& home) {
  std::string path = testing::HostPath(home);
  RegKey key = RegKey::Create(hive, kLexiconKeyPath);
  ASSERT_TRUE(key);
  ASSERT_TRUE(key.WriteWide(L"WNHome", std::wstring(path.begin(), path.end())));
}

// A whole database whose noun data were cut short, as a failed copy leaves it.
std::string CutShortHome() {
  namespace fs = std::filesystem;
  const fs::path home = fs::temp_directory_path() / "qv_cut_short_home";
  fs::remove_all(home);
  fs::create_directories(home / "dict");
  for (const fs::directory_entry& e : fs::directory_iterator(fs::path(QV_LEXICAL_HOME) / "dict"))
    if (e.is_regular_file()) fs::copy_file(e.path(), home / "dict" / e.path().filename());
  const fs::path noun = home / "dict" / "data.noun";
  fs::resize_file(noun, fs::file_size(noun) / 2);
  return home.string() + static_cast<char>(fs::path::preferred_separator);
}

TEST(LexicalDatabase, MissingDatabaseIsReportedAndFoundOnceInstalled) {
#ifndef _WIN32
  platform::stub::ResetRegistry();
#endif
  ASSERT_TRUE(RegKey::DeleteTree(Hive::LocalMachine, kLexiconKeyPath));
  ASSERT_TRUE(RegKey::DeleteTree(Hive::CurrentUser, kLexiconKeyPath));

  // No lexicon home recorded: the default folder, which this machine does not have.
  std::string word = "  dogs ";
  Answer answer = Answer::Description;
  EXPECT_EQ(DescribeWord(word, 5, true, nullptr, &answer), kNoDatabaseText);
  EXPECT_EQ(answer, Answer::NoDatabase);
  EXPECT_EQ(word, "dogs");
  EXPECT_EQ(BaseForm(word), std::nullopt);
  // A blank word is known to be blank without a database.
  word = "  ";
  EXPECT_EQ(DescribeWord(word, 5, true, nullptr, &answer), kNoWordText);
  EXPECT_EQ(answer, Answer::NoWord);

  // A home without a database.
  SetHome(Hive::LocalMachine, std::string(QV_LEXICAL_PARTIAL_HOME) + "nothing/");
  word = "dogs";
  EXPECT_EQ(DescribeWord(word), kNoDatabaseText);

  // Index and data files without the exception lists: still not a usable database.
  SetHome(Hive::LocalMachine, QV_LEXICAL_PARTIAL_HOME);
  EXPECT_EQ(DescribeWord(word), kNoDatabaseText);
  EXPECT_EQ(BaseForm(word), std::nullopt);

  // Data that do not hold what the index names: the library would read through a null synset.
  SetHome(Hive::LocalMachine, CutShortHome());
  word = "houses";
  EXPECT_EQ(DescribeWord(word), kNoDatabaseText);
  EXPECT_EQ(BaseForm(word), std::nullopt);

  // The database installed for the current user only: found at the next word.
  ASSERT_TRUE(RegKey::DeleteTree(Hive::LocalMachine, kLexiconKeyPath));
  SetHome(Hive::CurrentUser, QV_LEXICAL_HOME);
  // oryx n 02428349: oryx pasang | large African antelope with long straight nearly upright
  // horns
  word = "oryx";
  EXPECT_EQ(DescribeWord(word),
            "-noun#NOUN#\n"
            "1. Large African antelope with long straight nearly upright horns.\n"
            "    synonyms: [pasang]\n");
  word = "geese";
  EXPECT_EQ(BaseForm(word), std::optional<std::string>("goose"));

  // Once open it stays open, whatever the registry says later.
  ASSERT_TRUE(RegKey::DeleteTree(Hive::CurrentUser, kLexiconKeyPath));
  word = "dogs";
  EXPECT_EQ(BaseForm(word), std::optional<std::string>("dog"));
}

}  // namespace
}  // namespace qv::lexical
