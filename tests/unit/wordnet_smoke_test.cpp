// The WordNet library links and opens Debian's database on both builds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

extern "C" {
#include <wn.h>
}

namespace {

std::string DatabaseDir() {
#ifdef _WIN32
  // Wine maps the Linux root to drive Z:.
  std::string dir = std::string("Z:") + QV_WORDNET_DB;
  for (char& c : dir)
    if (c == '/') c = '\\';
  return dir;
#else
  return QV_WORDNET_DB;
#endif
}

TEST(WordNet, OpensDatabaseAndFindsBaseForms) {
  std::string dir = DatabaseDir();
#ifdef _WIN32
  _putenv_s("WNSEARCHDIR", dir.c_str());
#else
  setenv("WNSEARCHDIR", dir.c_str(), 1);
#endif
  ASSERT_EQ(wninit(), 0);
  char running[] = "running";
  const char* base = morphstr(running, VERB);
  ASSERT_NE(base, nullptr);
  EXPECT_STREQ(base, "run");
  char geese[] = "geese";
  base = morphstr(geese, NOUN);
  ASSERT_NE(base, nullptr);
  EXPECT_STREQ(base, "goose");
}

}  // namespace
