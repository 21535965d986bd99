// The text bundle's path and reader, the registry overrides it is tested through, and the
// bundles shipped with the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>

#include "lexicon/settings.h"
#include "lexicon/textbundle.h"
#include "platform/codepage.h"
#include "platform/registry.h"
#ifndef _WIN32
#include "platform/registry_stub.h"
#endif

namespace qv {
namespace {

using platform::Hive;
using platform::RegAccess;
using platform::RegKey;

namespace fs = std::filesystem;

std::wstring Native(std::wstring path) {
#ifndef _WIN32
  for (wchar_t& c : path)
    if (c == L'\\') c = L'/';
#endif
  return path;
}

// A directory path as the registry holds it, with its trailing separator.
std::wstring DirText(const fs::path& dir) {
  std::wstring s = dir.wstring();
  return s + static_cast<wchar_t>(fs::path::preferred_separator);
}

void WriteUtf16(const fs::path& file, const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) {
    auto u = static_cast<std::uint32_t>(c);
    if (u > 0xFFFF) {  // a surrogate pair on Linux's 32-bit wchar_t
      u -= 0x10000;
      for (std::uint32_t unit : {0xD800 + (u >> 10), 0xDC00 + (u & 0x3FF)}) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
      }
      continue;
    }
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  std::ofstream(file, std::ios::binary) << bytes;
}

class TextBundle : public ::testing::Test {
 protected:
  void SetUp() override {
    Clear();
    m_dir = fs::temp_directory_path() / ("qv_bundle_test_" + std::to_string(std::random_device()()));
    fs::create_directories(m_dir);
  }
  void TearDown() override {
    Clear();
    std::error_code ec;
    fs::remove_all(m_dir, ec);
  }
  // Only this test's values: under Wine other tests keep theirs in the same registry.
  static void Clear() {
    platform::ClearValueOverrides();
    if (RegKey key = RegKey::Open(Hive::LocalMachine, kMainKeyPath, RegAccess::All))
      for (const wchar_t* name : {L"Target", L"QVLang", L"Tut"}) key.DeleteValue(name);
  }
  static void Set(const wchar_t* name, const std::wstring& value) {
    platform::SetValueOverride(Hive::LocalMachine, kMainKeyPath, name, value);
  }
  fs::path m_dir;
};

TEST_F(TextBundle, PathIsTargetThenPrefixThenLanguage) {
  Set(L"Target", L"C:\\Program Files\\QV\\");
  Set(L"QVLang", L"fr");
  EXPECT_EQ(CLocalizer(L"Main").BundlePath(), Native(L"C:\\Program Files\\QV\\qv_rb.fr"));
  EXPECT_EQ(CLocalizer(L"Main").Language(), L"fr");

  // The longest Target that fits its 255-byte buffer, and one character more.
  Set(L"Target", std::wstring(126, L'd'));
  EXPECT_EQ(CLocalizer(L"Main").BundlePath(), std::wstring(126, L'd') + L"qv_rb.fr");
  Set(L"Target", std::wstring(127, L'd'));
  EXPECT_EQ(CLocalizer(L"Main").BundlePath(), L"qv_rb.fr");

  platform::ClearValueOverrides();
  EXPECT_EQ(CLocalizer(L"Main").BundlePath(), L"qv_rb.");
  EXPECT_EQ(CLocalizer(L"Main").GetText(L"Help"), L"");
}

TEST_F(TextBundle, ReaderRulesForEmptyLongAndUnknownKeys) {
  std::wstring long300;
  for (int i = 0; i < 300; ++i) long300 += static_cast<wchar_t>(L'a' + i % 26);
  WriteUtf16(m_dir / "qv_rb.xx",
             L"[Main]\r\nEmpty=\r\nLong=" + long300 +
                 L"\r\nE&xit=&Quitter\r\nPronounciation =Prononciation\r\n"
                 L"Disable Qv=Désactiver QV\r\nSmile=\U0001F600 œ\r\n"
                 L"[About]\r\nAbout=À propos de QV\r\n");
  Set(L"Target", DirText(m_dir));
  Set(L"QVLang", L"xx");
  CLocalizer main(L"Main");
  EXPECT_EQ(main.GetText(L"Empty"), L"");
  EXPECT_EQ(main.GetText(L"Absent"), L"");
  EXPECT_EQ(main.GetText(L"Long"), long300.substr(0, 254));
  EXPECT_EQ(main.GetText(L"E&xit"), L"&Quitter");
  EXPECT_EQ(main.GetText(L"Exit"), L"");
  EXPECT_EQ(main.GetText(L"e&XIT"), L"&Quitter");
  EXPECT_EQ(main.GetText(L"Pronounciation "), L"Prononciation");
  EXPECT_EQ(main.GetText(L"Disable Qv"), L"Désactiver QV");
  EXPECT_EQ(main.GetText(L"About"), L"");
  EXPECT_EQ(CLocalizer(L"About").GetText(L"About"), L"À propos de QV");
  EXPECT_EQ(CLocalizer(L"Nowhere").GetText(L"Empty"), L"");
#ifdef _WIN32
  EXPECT_EQ(main.GetText(L"Smile"), L"\U0001F600 œ");
#else
  EXPECT_EQ(main.GetText(L"Smile"), platform::Utf8ToWide("\xF0\x9F\x98\x80 \xC5\x93"));
#endif

  // Every call reads the file again.
  WriteUtf16(m_dir / "qv_rb.xx", L"[Main]\r\nE&xit=Sortir\r\n");
  EXPECT_EQ(main.GetText(L"E&xit"), L"Sortir");
}

TEST_F(TextBundle, PathTooLongForTheReaderIsNoBundle) {
  // A cut path would name another file: here the one that the first 254 characters name.
  std::wstring dir = DirText(m_dir);
  std::wstring lang(254 - dir.size() - 6 + 3, L'l');
  std::wstring cut = (dir + L"qv_rb." + lang).substr(0, 254);
  WriteUtf16(fs::path(cut), L"[Main]\r\nHelp=Wrong file\r\n");
  Set(L"Target", dir);
  Set(L"QVLang", lang);
  CLocalizer main(L"Main");
  EXPECT_EQ(main.BundlePath(), L"");
  EXPECT_EQ(main.GetText(L"Help"), L"");

  lang.resize(lang.size() - 3);  // exactly 254 characters: fits
  WriteUtf16(fs::path(dir + L"qv_rb." + lang), L"[Main]\r\nHelp=Aide\r\n");
  Set(L"QVLang", lang);
  EXPECT_EQ(CLocalizer(L"Main").GetText(L"Help"), L"Aide");
}

TEST_F(TextBundle, OverridesComeBeforeTheRegistryAndWritesStayInTheProcess) {
  {
    RegKey key = RegKey::Create(Hive::LocalMachine, kMainKeyPath);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key.WriteWide(L"Target", L"C:\\Registry\\"));
    ASSERT_TRUE(key.WriteAnsi("Tut", "0"));
  }
  EXPECT_EQ(ReadInstallDir(), L"C:\\Registry\\");
  Set(L"TARGET", L"C:\\Override\\");
  EXPECT_EQ(ReadInstallDir(), L"C:\\Override\\");
  EXPECT_EQ(ConsumeFirstRunFlag().flagWritten, true);  // Tut is read through, written in-process
  EXPECT_EQ(RegKey::Open(Hive::LocalMachine, kMainKeyPath, RegAccess::Read).ReadAnsi("Tut", 255), "1");
  platform::ClearValueOverrides();
  EXPECT_EQ(ReadInstallDir(), L"C:\\Registry\\");
  EXPECT_EQ(RegKey::Open(Hive::LocalMachine, kMainKeyPath, RegAccess::Read).ReadAnsi("Tut", 255), "0");
  EXPECT_EQ(RegKey::Open(Hive::LocalMachine, kMainKeyPath, RegAccess::Read).ReadAnsi("QVLang", 255),
            std::nullopt);

  // A key opens through its overrides, with the readers' size rules.
  platform::SetValueOverride(Hive::LocalMachine, kLexiconKeyPath, L"WNHome", L"D:\\Lex\\");
  EXPECT_EQ(ReadLexiconHome(), "D:\\Lex\\");
  EXPECT_EQ(WordNetDatabaseDir(), "D:\\Lex\\dict");
  platform::SetValueOverride(Hive::LocalMachine, kLexiconKeyPath, L"WNHome", std::wstring(300, L'x'));
  EXPECT_EQ(ReadLexiconHome(), std::nullopt);
  EXPECT_FALSE(RegKey::Open(Hive::LocalMachine, kLexiconKeyPath, RegAccess::Read).ReadAnsi("Other", 255));
#ifndef _WIN32
  platform::stub::ResetRegistry();
  EXPECT_TRUE(RegKey::Open(Hive::LocalMachine, kLexiconKeyPath, RegAccess::Read));
  EXPECT_FALSE(RegKey::Open(Hive::LocalMachine, kMainKeyPath, RegAccess::Read));
#endif
}

// The bundles delivered with the program hold every key the program asks for.
fs::path SourcePath(const char* relative) {
  std::string path = std::string(QV_SOURCE_DIR) + "/" + relative;
#ifdef _WIN32
  return fs::path(L"Z:" + platform::Utf8ToWide(path));
#else
  return fs::path(path);
#endif
}

struct Key {
  std::wstring section, key;
  bool operator<(const Key& o) const { return std::tie(section, key) < std::tie(o.section, o.key); }
};

// The keys of the key table, and every text the code hands to GetText or a menu template holds.
std::set<Key> KeysAskedFor() {
  std::set<Key> keys;
  for (const wchar_t* k :
       {L"TutorialURL", L"Brantel QV Dictionary", L"Failed to create Brantel QV Dictionary tray icon",
        L"Mouse Hover + CTRL", L"Mouse Hover + F8", L"Mouse Hover + Shift", L"Mouse Hover + ALT",
        L"QV Settings", L"Activation Sequence", L"Enable QV", L"OK", L"Cancel", L"Exit",
        L"Enable", L"Disable", L"Disable Qv",
        L"See Help Page for Pronounciation examples and references",
        L"No word has been captured move mouse and try again", L"_POPUP_",
        L"E&xit", L"Help", L"&Settings...", L"Pronounciation ", L"Pronounciation Guide",
        L"Web Tutorial", L"About"})
    keys.insert({L"Main", k});
  keys.insert({L"About", L"About"});
  keys.insert({L"About", L"OK"});

  const std::regex kGetText(R"re(GetText\(L"((?:[^"\\]|\\.)*)"\))re");
  const std::regex kMenuItem(R"re(^\s*(?:MENUITEM|POPUP)\s+"((?:[^"]|"")*)")re");
  for (const char* area : {"lexicon", "tiplex", "resources"}) {
    fs::path root = SourcePath(area);
    if (!fs::exists(root)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      std::string ext = entry.path().extension().string();
      if (ext != ".cpp" && ext != ".h" && ext != ".rc") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::wstring section = entry.path().filename().string().find("about") != std::string::npos
                                 ? L"About" : L"Main";
      for (std::string line; std::getline(in, line);) {
        const std::regex& re = ext == ".rc" ? kMenuItem : kGetText;
        for (std::sregex_iterator m(line.begin(), line.end(), re), end; m != end; ++m)
          if (!(*m)[1].str().empty())
            keys.insert({section, platform::Utf8ToWide((*m)[1].str())});
      }
    }
  }
  return keys;
}

TEST_F(TextBundle, ShippedBundlesHoldEveryKeyTheProgramAsksFor) {
  std::set<Key> keys = KeysAskedFor();
  for (const char* lang : {"fr", "en"}) {
    Set(L"Target", DirText(SourcePath("data")));
    Set(L"QVLang", platform::Utf8ToWide(lang));
    for (const Key& k : keys)
      EXPECT_NE(CLocalizer(k.section).GetText(k.key), L"")
          << "qv_rb." << lang << " lacks [" << platform::WideToUtf8(k.section) << "] "
          << platform::WideToUtf8(k.key);
  }
  Set(L"QVLang", L"fr");
  EXPECT_EQ(CLocalizer(L"Main").GetText(L"Disable"), L"Désactiver");
  EXPECT_EQ(CLocalizer(L"About").GetText(L"About"), L"À propos de QV");
}

}  // namespace
}  // namespace qv
