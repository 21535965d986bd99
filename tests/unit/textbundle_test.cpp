// The text bundle's path and reader, the registry overrides it is tested through, and the
// bundles shipped with the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>

#include "core/settings.h"
#include "core/dictionary/text_bundle.h"
#include "platform/codepage.h"
#include "platform/registry.h"

namespace qv {
namespace {

using platform::Hive;
using platform::RegAccess;
using platform::RegKey;
namespace fs = std::filesystem;

std::wstring Native(std::wstring path) {
#ifndef _WIN32
  std::replace(path.begin(), path.end(), L'\\', L'/');
#endif
  return path;
}

void WriteUtf16(const fs::path& file, const std::wstring& text) {
  std::u16string units = u"\uFEFF";
  for (char32_t c : text) {
    if (c > 0xFFFF) {  // Linux's 32-bit wchar_t
      units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(c);
    }
  }
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

class TextBundle : public ::testing::Test {
 protected:
  void SetUp() override {
    Clear();
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
    for (Hive hive : {Hive::LocalMachine, Hive::CurrentUser})
      if (RegKey key = RegKey::Open(hive, kMainKeyPath, RegAccess::All))
        for (const wchar_t* name : {L"Target", L"QVLang", L"Tut"}) key.DeleteValue(name);
  }
  static void Set(const wchar_t* name, const std::wstring& value) {
    platform::SetValueOverride(Hive::LocalMachine, kMainKeyPath, name, value);
  }
  fs::path m_dir = fs::temp_directory_path() / ("qv_bundle_" + std::to_string(std::random_device()()));
  std::wstring m_dirText = m_dir.wstring() + static_cast<wchar_t>(fs::path::preferred_separator);
};

TEST_F(TextBundle, PathIsTargetPrefixAndLanguageAndMustFitTheReader) {
  Set(L"Target", L"C:\\Program Files\\QV\\");
  Set(L"QVLang", L"fr");
  EXPECT_EQ(CTextBundle(L"Main").BundlePath(), Native(L"C:\\Program Files\\QV\\qv_rb.fr"));
  Set(L"Target", std::wstring(126, L'd'));  // the longest that fits its 255-byte buffer
  EXPECT_EQ(CTextBundle(L"Main").BundlePath(), std::wstring(126, L'd') + L"qv_rb.fr");
  Set(L"Target", std::wstring(127, L'd'));
  EXPECT_EQ(CTextBundle(L"Main").BundlePath(), L"qv_rb.fr");

  // QVLang names a bundle only as two lower-case letters: anything else names none (a path
  // such as "..\\x" would name another file).
  WriteUtf16(m_dirText + L"qv_rb.ll", L"[Main]\r\nHelp=Aide\r\n");
  Set(L"Target", m_dirText);
  Set(L"QVLang", L"ll");
  EXPECT_EQ(CTextBundle(L"Main").GetText(L"Help"), L"Aide");
  Set(L"QVLang", L"ll\\..\\ll");
  EXPECT_EQ(CTextBundle(L"Main").BundlePath(), m_dirText + L"qv_rb.");
  EXPECT_EQ(CTextBundle(L"Main").GetText(L"Help"), L"");
}

TEST_F(TextBundle, ReaderRulesForEmptyLongAndUnknownKeys) {
  std::wstring long300;
  for (int i = 0; i < 300; ++i) long300 += static_cast<wchar_t>(L'a' + i % 26);
  WriteUtf16(m_dir / "qv_rb.xx", L"[Main]\r\nEmpty=\r\nLong=" + long300 +
                                     L"\r\nE&xit=&Quitter\r\nPronounciation =Prononciation\r\n"
                                     L"Smile=\U0001F600 œ\r\n[About]\r\nAbout=À propos de QV\r\n");
  Set(L"Target", m_dirText);
  Set(L"QVLang", L"xx");
  CTextBundle main(L"Main");
  EXPECT_EQ(main.GetText(L"Empty"), L"");
  EXPECT_EQ(main.GetText(L"Absent"), L"");
  EXPECT_EQ(main.GetText(L"Long"), long300.substr(0, 254));
  EXPECT_EQ(main.GetText(L"e&XIT"), L"&Quitter");
  EXPECT_EQ(main.GetText(L"Exit"), L"");
  EXPECT_EQ(main.GetText(L"Pronounciation "), L"Prononciation");
  EXPECT_EQ(main.GetText(L"Smile"), L"\U0001F600 œ");
  EXPECT_EQ(main.GetText(L"About"), L"");
  EXPECT_EQ(CTextBundle(L"About").GetText(L"About"), L"À propos de QV");
  WriteUtf16(m_dir / "qv_rb.xx", L"[Main]\r\nE&xit=Sortir\r\n");  // read again at every call
  EXPECT_EQ(main.GetText(L"E&xit"), L"Sortir");
}

TEST_F(TextBundle, OverridesComeBeforeTheRegistryAndWritesStayInTheProcess) {
  {
    RegKey key = RegKey::Create(Hive::LocalMachine, kMainKeyPath);
    ASSERT_TRUE(key && key.WriteWide(L"Target", L"C:\\Registry\\") && key.WriteAnsi("Tut", "0"));
  }
  Set(L"TARGET", L"C:\\Override\\");
  EXPECT_EQ(ReadInstallDir(), L"C:\\Override\\");
  // Tut read through; the first run is the user's, written in the user's hive.
  EXPECT_TRUE(ConsumeFirstRunFlag().flagWritten);
  auto tut = [](Hive hive) { return RegKey::Open(hive, kMainKeyPath, RegAccess::Read).ReadAnsi("Tut", 255); };
  EXPECT_EQ(tut(Hive::LocalMachine), "0");
  EXPECT_EQ(tut(Hive::CurrentUser), "1");
  // An overridden QVLang is the installation's, whatever the user's says.
  Set(L"QVLang", L"en");
  EXPECT_EQ(ReadLanguageCode(), "en");
  platform::ClearValueOverrides();
  EXPECT_EQ(ReadInstallDir(), L"C:\\Registry\\");
  EXPECT_EQ(ReadLanguageCode(), "fr");

  platform::SetValueOverride(Hive::LocalMachine, kLexiconKeyPath, L"WNHome", L"D:\\Lex\\");
  EXPECT_EQ(WordNetDatabaseDir(), "D:\\Lex\\dict");
  platform::SetValueOverride(Hive::LocalMachine, kLexiconKeyPath, L"WNHome", std::wstring(300, L'x'));
  EXPECT_EQ(ReadLexiconHome(), std::nullopt);  // the readers' size rules hold
}

// Every key the program asks for: the key table, and every text the code hands to GetText or
// a menu template holds.
TEST_F(TextBundle, ShippedBundlesHoldEveryKeyTheProgramAsksFor) {
  std::set<std::pair<std::wstring, std::wstring>> keys = {{L"About", L"About"}, {L"About", L"OK"}};
  for (const wchar_t* k :
       {L"TutorialURL", L"Brantel QV Dictionary", L"Failed to create Brantel QV Dictionary tray icon",
        L"Mouse Hover + CTRL", L"Mouse Hover + F8", L"Mouse Hover + Shift", L"Mouse Hover + ALT",
        L"QV Settings", L"Activation Sequence", L"Enable QV", L"OK", L"Cancel", L"Exit", L"Enable",
        L"Disable", L"Disable Qv", L"See Help Page for Pronounciation examples and references",
        L"No word has been captured move mouse and try again", L"_POPUP_", L"E&xit", L"Help",
        L"&Settings...", L"Pronounciation ", L"Pronounciation Guide", L"Web Tutorial", L"About"})
    keys.insert({L"Main", k});
  std::string src = QV_SOURCE_DIR;
#ifdef _WIN32
  src = "Z:" + src;
#endif
  const std::regex kGetText(R"re(GetText\(L"((?:[^"\\]|\\.)+)"\))re");
  const std::regex kMenuItem(R"re(^\s*(?:MENUITEM|POPUP)\s+"([^"]+)")re");
  for (const char* area : {"/core", "/app", "/resources"}) {
    if (!fs::exists(src + area)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(src + area)) {
      std::string ext = entry.path().extension().string();
      if (ext != ".cpp" && ext != ".h" && ext != ".rc") continue;
      bool about = entry.path().filename().string().find("about") != std::string::npos;
      std::ifstream in(entry.path(), std::ios::binary);
      for (std::string line; std::getline(in, line);)
        for (std::sregex_iterator m(line.begin(), line.end(), ext == ".rc" ? kMenuItem : kGetText), end;
             m != end; ++m)
          keys.insert({about ? L"About" : L"Main", platform::Utf8ToWide((*m)[1].str())});
    }
  }
  Set(L"Target", platform::Utf8ToWide(src + "/data/"));
  for (const wchar_t* lang : {L"fr", L"en"}) {
    Set(L"QVLang", lang);
    for (const auto& [section, key] : keys)
      EXPECT_NE(CTextBundle(section).GetText(key), L"")
          << "qv_rb." << platform::WideToUtf8(lang) << " lacks [" << platform::WideToUtf8(section)
          << "] " << platform::WideToUtf8(key);
  }
  EXPECT_EQ(CTextBundle(L"Main").GetText(L"Disable"), L"Disable");
  Set(L"QVLang", L"fr");
  EXPECT_EQ(CTextBundle(L"Main").GetText(L"Disable"), L"Désactiver");
}

}  // namespace
}  // namespace qv
