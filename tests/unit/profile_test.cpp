// The profile reader of the Linux build against the rules of GetPrivateProfileStringW. Under
// Wine the same inputs also go through the system's reader, and the two must agree exactly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/dictionary/profile_file.h"
#include "platform/codepage.h"
#include "platform/profile.h"
#include "platform/profile_parse.h"

namespace qv {
namespace {

namespace fs = std::filesystem;
using platform::ProfileStringFromBytes;

const std::wstring kLong = std::wstring(150, L'x') + std::wstring(150, L'y');

std::wstring TrickyText(const wchar_t* eol) {
  std::vector<std::wstring> lines = {
      L"; a comment",
      L"top=before any section",
      L"[Main]",
      L"Enable=Activer",
      L"  Spaced Key  =  value with spaces around  ",
      L"UPPER=upper value",
      L"quoted=\"quoted value\"",
      L"single='single'",
      L"halfquote=\"unbalanced",
      L"lonequote=\"",
      L"inner=a \"b\" c",
      L"empty=",
      L"noequals",
      L"dup=first",
      L"dup=second",
      L"long=" + kLong,
      L"E&xit=&Quitter",
      L"Exit=Sortir",
      L"a=b=c",
      L"accents=\u00e9l\u00e8ve \u00e0 l'\u00e9t\u00e9, \u0153uvre \u20ac",
      L"tab\t=\tvalue after tab",
      L"",
      L"[main]",
      L"Enable=second section of the same name",
      L"extra=only in the second section",
      L"[ Padded ]",
      L"k=v",
      L"[Other]",
      L"Enable=Other section",
      L"[Broken",
      L"after=after a broken header",
      L"[]",
      L"nameless=in a section without name",
  };
  std::wstring text;
  for (const auto& l : lines) text += l + eol;
  return text;
}

std::string Utf16Le(std::wstring_view text) {
  std::string out = "\xFF\xFE";
  for (wchar_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  return out;
}

struct Variant {
  const char* name;
  std::string bytes;
};

std::vector<Variant> Variants() {
  return {
      {"ansi-crlf.ini", platform::WideToAnsi(TrickyText(L"\r\n"))},
      {"ansi-lf.ini", platform::WideToAnsi(TrickyText(L"\n"))},
      {"utf16le-bom.ini", Utf16Le(TrickyText(L"\r\n"))},
      {"utf8-bom.ini", "\xEF\xBB\xBF" + platform::WideToUtf8(TrickyText(L"\r\n"))},
      {"empty.ini", ""},
  };
}

class ProfileReader : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("qv-profile-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir_);
    for (const auto& v : Variants()) {
      std::ofstream(dir_ / v.name, std::ios::binary) << v.bytes;
    }
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::wstring PathOf(const char* name) const { return (dir_ / name).wstring(); }
  fs::path dir_;
};

const std::vector<std::wstring> kSections = {L"Main", L"MAIN", L" main ", L"Padded", L" Padded ",
                                             L"Other", L"Missing", L"Broken", L"", L"[Main]"};
const std::vector<std::wstring> kKeys = {
    L"Enable", L"enable", L" Enable ", L"Spaced Key", L"spaced key", L"Spaced  Key", L"UPPER",
    L"quoted", L"single", L"halfquote", L"lonequote", L"inner", L"empty", L"noequals", L"dup",
    L"long", L"E&xit", L"Exit", L"exit", L"a", L"a=b", L"accents", L"tab", L"extra", L"k",
    L"after", L"top", L"nameless", L"", L"missing", L"; a comment"};
const std::vector<std::wstring> kDefaults = {L"", L"dflt", L"  dflt  ", L"\"dq\"", L"'s'"};

TEST_F(ProfileReader, ReadsTheTrickyFileAsTheSystemDoes) {
  std::optional<std::string> file = platform::WideToAnsi(TrickyText(L"\r\n"));
  auto get = [&](const wchar_t* section, const wchar_t* key, const wchar_t* def = L"") {
    return ProfileStringFromBytes(file, section, key, def, 255);
  };
  EXPECT_EQ(get(L"Main", L"Enable"), L"Activer");
  EXPECT_EQ(get(L"mAiN", L"ENABLE"), L"Activer");  // names ignore letter case
  EXPECT_EQ(get(L" Main ", L" Enable "), L"Activer");
  EXPECT_EQ(get(L"Main", L"Spaced Key"), L"value with spaces around");
  EXPECT_EQ(get(L"Main", L"quoted"), L"quoted value");
  EXPECT_EQ(get(L"Main", L"single"), L"single");
  EXPECT_EQ(get(L"Main", L"halfquote"), L"\"unbalanced");
  EXPECT_EQ(get(L"Main", L"inner"), L"a \"b\" c");
  EXPECT_EQ(get(L"Main", L"empty", L"dflt"), L"");
  EXPECT_EQ(get(L"Main", L"noequals", L"dflt"), L"dflt");
  EXPECT_EQ(get(L"Main", L"dup"), L"first");
  EXPECT_EQ(get(L"Main", L"long"), kLong.substr(0, 254));
  EXPECT_EQ(get(L"Main", L"E&xit"), L"&Quitter");
  EXPECT_EQ(get(L"Main", L"Exit"), L"Sortir");
  EXPECT_EQ(get(L"Main", L"a"), L"b=c");
  EXPECT_EQ(get(L"Main", L"accents"), L"\u00e9l\u00e8ve \u00e0 l'\u00e9t\u00e9, \u0153uvre \u20ac");
  EXPECT_EQ(get(L"Main", L"tab"), L"value after tab");
  EXPECT_EQ(get(L"Main", L"extra", L"dflt"), L"dflt");  // only the first [main] is searched
  EXPECT_EQ(get(L"Padded", L"k"), L"v");
  EXPECT_EQ(get(L"Missing", L"Enable", L"  dflt  "), L"  dflt");
  EXPECT_EQ(get(L"Missing", L"Enable", L"\"dq\""), L"dq");
  EXPECT_EQ(get(L"Main", L"", L"dflt"), L"dflt");
  EXPECT_EQ(ProfileStringFromBytes(file, L"Main", L"Enable", L"", 4), L"Act");
  EXPECT_EQ(ProfileStringFromBytes(std::nullopt, L"Main", L"Enable", L"dflt", 255), L"dflt");
}

TEST_F(ProfileReader, AccessorCutsValuesAndPaths) {
  CProfileFile file(PathOf("utf16le-bom.ini"));
  EXPECT_EQ(file.GetString(L"Main", L"long", L""), kLong.substr(0, 254));
  EXPECT_EQ(file.GetString(L"Main", L"accents", L""),
            L"\u00e9l\u00e8ve \u00e0 l'\u00e9t\u00e9, \u0153uvre \u20ac");
  EXPECT_EQ(CProfileFile(PathOf("absent.ini")).GetString(L"Main", L"Enable", L"dflt"), L"dflt");
  EXPECT_EQ(CProfileFile(L"").GetString(L"Main", L"Enable", L""), L"");
  CProfileFile longPath(std::wstring(400, L'p'));
  EXPECT_EQ(longPath.Path().size(), 254u);
  EXPECT_EQ(longPath.GetString(L"Main", L"Enable", L"dflt"), L"dflt");
}

#ifdef _WIN32
// The system's reader and ours, over every file, section, key, default and buffer size.
TEST_F(ProfileReader, AgreesWithTheSystemReader) {
  std::vector<Variant> variants = Variants();
  variants.push_back({"absent.ini", {}});
  int compared = 0, differing = 0;
  for (const auto& v : variants) {
    std::optional<std::string> bytes;
    if (std::string(v.name) != "absent.ini") bytes = v.bytes;
    std::wstring path = PathOf(v.name);
    for (const auto& section : kSections)
      for (const auto& key : kKeys)
        for (const auto& def : kDefaults)
          for (std::size_t cch : {255u, 1u, 2u, 8u}) {
            std::wstring system = platform::ReadProfileString(section, key, def, cch, path);
            std::wstring ours = ProfileStringFromBytes(bytes, section, key, def, cch);
            ++compared;
            if (system != ours && ++differing <= 20) {
              ADD_FAILURE() << v.name << " [" << platform::WideToUtf8(section) << "] "
                            << platform::WideToUtf8(key) << " def=" << platform::WideToUtf8(def)
                            << " cch=" << cch << ": system=\"" << platform::WideToUtf8(system)
                            << "\" ours=\"" << platform::WideToUtf8(ours) << "\"";
            }
          }
  }
  EXPECT_EQ(differing, 0) << "of " << compared;
  std::printf("compared %d look-ups, %d differ\n", compared, differing);
}
#endif

// A surrogate pair in wide text is one character on both builds, as Windows converts it.
TEST(WideToUtf8, WritesASurrogatePairAsOneCharacter) {
  const std::wstring pair{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
  EXPECT_EQ(platform::WideToUtf8(L"a" + pair), "a\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace qv
