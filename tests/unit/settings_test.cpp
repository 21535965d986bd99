// The settings store against the real registry (Windows build, under Wine) and the in-memory
// stand-in (Linux build).
#include <gtest/gtest.h>

#include "core/addresses.h"
#include "core/settings.h"
#ifndef _WIN32
#include "platform/registry_stub.h"
#endif

namespace qv {
namespace {

using platform::Hive;
using platform::RegAccess;
using platform::RegKey;

constexpr wchar_t kVendorKey[] = L"Software\\Brantel";

void Put(Hive hive, const wchar_t* path, const wchar_t* name, const std::wstring& value) {
  RegKey key = RegKey::Create(hive, path);
  ASSERT_TRUE(key);
  ASSERT_TRUE(key.WriteWide(name, value));
}

std::optional<std::wstring> Get(Hive hive, const wchar_t* path, const wchar_t* name) {
  RegKey key = RegKey::Open(hive, path, RegAccess::Read);
  return key ? key.ReadWide(name, 4096) : std::nullopt;
}

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override { Clear(); }
  void TearDown() override { Clear(); }
  static void Clear() {
#ifndef _WIN32
    platform::stub::ResetRegistry();
#endif
    ASSERT_TRUE(RegKey::DeleteTree(Hive::LocalMachine, kVendorKey));
    ASSERT_TRUE(RegKey::DeleteTree(Hive::CurrentUser, kVendorKey));
  }
};

TEST_F(SettingsStore, FirstRunOnlyWhenTutIsExactlyZero) {
  // No main key at all.
  FirstRunResult r = ConsumeFirstRunFlag();
  EXPECT_FALSE(r.firstRun);
  EXPECT_FALSE(r.flagWritten);
  EXPECT_FALSE(RegKey::Open(Hive::LocalMachine, kMainKeyPath, RegAccess::Read));

  // Main key without Tut: nothing is written.
  Put(Hive::LocalMachine, kMainKeyPath, L"Target", L"C:\\QV\\");
  r = ConsumeFirstRunFlag();
  EXPECT_FALSE(r.firstRun);
  EXPECT_FALSE(r.flagWritten);
  EXPECT_EQ(Get(Hive::LocalMachine, kMainKeyPath, L"Tut"), std::nullopt);
  EXPECT_EQ(Get(Hive::LocalMachine, kMainKeyPath, L"QVLang"), std::nullopt);

  for (const wchar_t* other : {L"1", L"", L"00", L" 0", L"yes"}) {
    Put(Hive::LocalMachine, kMainKeyPath, L"Tut", other);
    r = ConsumeFirstRunFlag();
    EXPECT_FALSE(r.firstRun) << "Tut=\"" << other << "\"";
    EXPECT_FALSE(r.flagWritten);
    EXPECT_EQ(Get(Hive::LocalMachine, kMainKeyPath, L"Tut"), std::wstring(other));
    EXPECT_EQ(Get(Hive::LocalMachine, kMainKeyPath, L"QVLang"), std::nullopt);
  }
}

// The installation's values are the defaults; the user's own flag and language are written in
// the user's hive, once.
TEST_F(SettingsStore, FirstRunConsumesTheFlagOnceForTheUser) {
  Put(Hive::LocalMachine, kMainKeyPath, L"Tut", L"0");
  Put(Hive::LocalMachine, kMainKeyPath, L"QVLang", L"en");
  FirstRunResult r = ConsumeFirstRunFlag();
  EXPECT_TRUE(r.firstRun);
  EXPECT_TRUE(r.flagWritten);
  EXPECT_EQ(Get(Hive::LocalMachine, kMainKeyPath, L"Tut"), L"0");
  EXPECT_EQ(Get(Hive::LocalMachine, kMainKeyPath, L"QVLang"), L"en");
  EXPECT_EQ(Get(Hive::CurrentUser, kMainKeyPath, L"Tut"), L"1");
  EXPECT_EQ(Get(Hive::CurrentUser, kMainKeyPath, L"QVLang"), L"fr");
  EXPECT_EQ(ReadLanguageCode(), "fr");

  // The second start changes nothing, even a language chosen since.
  Put(Hive::CurrentUser, kMainKeyPath, L"QVLang", L"de");
  r = ConsumeFirstRunFlag();
  EXPECT_FALSE(r.firstRun);
  EXPECT_FALSE(r.flagWritten);
  EXPECT_EQ(Get(Hive::CurrentUser, kMainKeyPath, L"Tut"), L"1");
  EXPECT_EQ(ReadLanguageCode(), "de");

  // Another user of the same installation gets the tutorial once too; a language already "fr"
  // is not written again.
  ASSERT_TRUE(RegKey::DeleteTree(Hive::CurrentUser, kVendorKey));
  Put(Hive::LocalMachine, kMainKeyPath, L"QVLang", L"fr");
  EXPECT_TRUE(ConsumeFirstRunFlag().flagWritten);
  EXPECT_EQ(Get(Hive::CurrentUser, kMainKeyPath, L"QVLang"), std::nullopt);
}

TEST_F(SettingsStore, SyncCreatesTheLexiconKeyAndCopiesTarget) {
  Put(Hive::LocalMachine, kMainKeyPath, L"Target", L"C:\\Program Files\\QV\\");
  EXPECT_FALSE(RegKey::Open(Hive::LocalMachine, kLexiconKeyPath, RegAccess::Read));
  SyncLexiconHome();
  EXPECT_EQ(Get(Hive::LocalMachine, kLexiconKeyPath, L"WNHome"), L"C:\\Program Files\\QV\\");
  EXPECT_EQ(ReadLexiconHome(), "C:\\Program Files\\QV\\");

  // A hand-made change of WNHome lasts only until the next start; Target decides.
  Put(Hive::LocalMachine, kLexiconKeyPath, L"WNHome", L"D:\\elsewhere\\");
  SyncLexiconHome();
  EXPECT_EQ(Get(Hive::LocalMachine, kLexiconKeyPath, L"WNHome"), L"C:\\Program Files\\QV\\");
  SyncLexiconHome();
  EXPECT_EQ(Get(Hive::LocalMachine, kLexiconKeyPath, L"WNHome"), L"C:\\Program Files\\QV\\");
}

TEST_F(SettingsStore, SyncKeepsTheLexiconHomeWithoutAReadableTarget) {
  Put(Hive::LocalMachine, kLexiconKeyPath, L"WNHome", L"C:\\Old\\");
  SyncLexiconHome();  // no Target at all
  EXPECT_EQ(Get(Hive::LocalMachine, kLexiconKeyPath, L"WNHome"), L"C:\\Old\\");

  // 260 bytes with the terminator fit the buffer; one more character does not.
  std::wstring fits = L"C:\\" + std::wstring(255, L'a') + L"\\";
  ASSERT_EQ(fits.size(), 259u);
  Put(Hive::LocalMachine, kMainKeyPath, L"Target", fits);
  SyncLexiconHome();
  EXPECT_EQ(Get(Hive::LocalMachine, kLexiconKeyPath, L"WNHome"), fits);

  Put(Hive::LocalMachine, kLexiconKeyPath, L"WNHome", L"C:\\Old\\");
  Put(Hive::LocalMachine, kMainKeyPath, L"Target", fits + L"b");
  SyncLexiconHome();
  EXPECT_EQ(Get(Hive::LocalMachine, kLexiconKeyPath, L"WNHome"), L"C:\\Old\\");
}

TEST_F(SettingsStore, SyncConvertsThroughTheAnsiCodePage) {
  Put(Hive::LocalMachine, kMainKeyPath, L"Target", L"C:\\Dictionnaires \u00e9t\u00e9\\");
  SyncLexiconHome();
  EXPECT_EQ(Get(Hive::LocalMachine, kLexiconKeyPath, L"WNHome"), L"C:\\Dictionnaires \u00e9t\u00e9\\");
  EXPECT_EQ(ReadLexiconHome(), "C:\\Dictionnaires \xe9t\xe9\\");
}

TEST_F(SettingsStore, ReadersHonourTheirBufferSizes) {
  EXPECT_EQ(ReadInstallDir(), std::nullopt);
  EXPECT_EQ(ReadLanguageCode(), std::nullopt);
  EXPECT_EQ(ReadLexiconHome(), std::nullopt);

  // Target is read as UTF-16 into 255 bytes: 126 characters and the terminator at most.
  std::wstring dir126 = L"C:\\" + std::wstring(122, L'x') + L"\\";
  ASSERT_EQ(dir126.size(), 126u);
  Put(Hive::LocalMachine, kMainKeyPath, L"Target", dir126);
  EXPECT_EQ(ReadInstallDir(), dir126);
  Put(Hive::LocalMachine, kMainKeyPath, L"Target", dir126 + L"y");
  EXPECT_EQ(ReadInstallDir(), std::nullopt);

  // QVLang goes into the bundle's file name: two lower-case letters, or nothing.
  Put(Hive::LocalMachine, kMainKeyPath, L"QVLang", L"en");
  EXPECT_EQ(ReadLanguageCode(), "en");
  for (const wchar_t* bad : {L"", L"f", L"FR", L"fra", L"f1", L".\\..\\x", L"fr "}) {
    Put(Hive::LocalMachine, kMainKeyPath, L"QVLang", bad);
    EXPECT_EQ(ReadLanguageCode(), std::nullopt) << "QVLang=\"" << bad << "\"";
  }

  Put(Hive::LocalMachine, kLexiconKeyPath, L"WNHome", std::wstring(255, L'h'));
  EXPECT_EQ(ReadLexiconHome(), std::string(255, 'h'));
  Put(Hive::LocalMachine, kLexiconKeyPath, L"WNHome", std::wstring(256, L'h'));
  EXPECT_EQ(ReadLexiconHome(), std::nullopt);
}

TEST_F(SettingsStore, WordNetFolderFallsBackFromMachineToUserToDefault) {
  EXPECT_EQ(WordNetDatabaseDir(), kDefaultWordNetDir);
  Put(Hive::CurrentUser, kLexiconKeyPath, L"WNHome", L"D:\\User\\");
  EXPECT_EQ(WordNetDatabaseDir(), "D:\\User\\dict");
  Put(Hive::LocalMachine, kLexiconKeyPath, L"WNHome", L"C:\\Machine\\");
  EXPECT_EQ(WordNetDatabaseDir(), "C:\\Machine\\dict");
  // The dictionary store reads the local machine only.
  ASSERT_TRUE(RegKey::DeleteTree(Hive::LocalMachine, kVendorKey));
  EXPECT_EQ(ReadLexiconHome(), std::nullopt);
  EXPECT_EQ(WordNetDatabaseDir(), "D:\\User\\dict");
}

TEST_F(SettingsStore, KeysAreClosedAfterUse) {
  Put(Hive::LocalMachine, kMainKeyPath, L"Target", L"C:\\QV\\");
  SyncLexiconHome();
  // A key still held open would make the tree's removal fail or leave it behind.
  EXPECT_TRUE(RegKey::DeleteTree(Hive::LocalMachine, kVendorKey));
  EXPECT_FALSE(RegKey::Open(Hive::LocalMachine, kLexiconKeyPath, RegAccess::Read));
}

#ifndef _WIN32
// Writes, then full access, refused on HKEY_LOCAL_MACHINE, as for a user without administrator
// rights.
TEST_F(SettingsStore, RefusedAccessToTheMachineStillConsumesTheUsersFlag) {
  Put(Hive::LocalMachine, kMainKeyPath, L"Tut", L"0");
  Put(Hive::LocalMachine, kMainKeyPath, L"Target", L"C:\\QV\\");
  Put(Hive::LocalMachine, kMainKeyPath, L"QVLang", L"en");
  Put(Hive::LocalMachine, kLexiconKeyPath, L"WNHome", L"C:\\Old\\");
  platform::stub::DenyFullAccess(Hive::LocalMachine, kMainKeyPath);
  platform::stub::DenyFullAccess(Hive::LocalMachine, kLexiconKeyPath);
  FirstRunResult r = ConsumeFirstRunFlag();
  EXPECT_TRUE(r.firstRun);
  EXPECT_TRUE(r.flagWritten);
  EXPECT_EQ(Get(Hive::LocalMachine, kMainKeyPath, L"Tut"), L"0");
  EXPECT_EQ(ConsumeFirstRunFlag().firstRun, false);

  // The user's hive refused too: the flag is not consumed, so the tutorial is not opened.
  ASSERT_TRUE(RegKey::DeleteTree(Hive::CurrentUser, kVendorKey));
  platform::stub::DenyWrites(Hive::CurrentUser, kMainKeyPath);
  r = ConsumeFirstRunFlag();
  EXPECT_TRUE(r.firstRun);
  EXPECT_FALSE(r.flagWritten);
  platform::stub::DenyWrites(Hive::CurrentUser, kMainKeyPath, false);
  ASSERT_TRUE(RegKey::DeleteTree(Hive::CurrentUser, kVendorKey));
  EXPECT_EQ(ReadInstallDir(), L"C:\\QV\\");
  EXPECT_EQ(ReadLanguageCode(), "en");
  // WNHome cannot be written: it keeps what the installer wrote, and is read.
  SyncLexiconHome();
  EXPECT_EQ(ReadLexiconHome(), "C:\\Old\\");
}
#endif

// The only addresses handed to the shell: web pages, and pages inside the installation folder.
TEST(SafeAddress, WebAddressesAndPagesInsideTheFolderOnly) {
  const std::wstring dir = L"C:\\Program Files\\QV\\";
  EXPECT_EQ(SafeAddress(L" https://example.org/t.html ", dir), L"https://example.org/t.html");
  EXPECT_EQ(SafeAddress(L"HTTP://example.org", dir), L"HTTP://example.org");
  EXPECT_EQ(SafeAddress(L"tutorial\\index.fr.html", dir), dir + L"tutorial\\index.fr.html");
  EXPECT_EQ(SafeAddress(L"\\tutorial/Index.HTM", L"C:\\QV"), L"C:\\QV\\tutorial/Index.HTM");
  for (const wchar_t* refused :
       {L"", L"  ", L"QV.exe", L"tutorial\\index.html.exe", L"..\\..\\x.html",
        L"tutorial\\..\\..\\x.html", L"tutorial\\. .\\x.html", L"C:\\t.html",
        L"D:t.html", L"\\\\server\\share\\t.html", L"//server/t.html",
        L"file:///C:/t.html", L"javascript:alert(1)//.html", L"page.html:stream",
        L"ms-settings:", L"https://", L"https://example.org/a b", L"ftp://example.org/t.html"})
    EXPECT_EQ(SafeAddress(refused, dir), L"") << refused;
  EXPECT_EQ(SafeAddress(L"tutorial\\index.html", L""), L"");
}

}  // namespace
}  // namespace qv
