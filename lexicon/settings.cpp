#include "lexicon/settings.h"

namespace qv {

using platform::Hive;
using platform::RegAccess;
using platform::RegKey;

namespace {

// The main key for a read. It is asked for with full access first; a user without
// administrator rights is refused that on the local machine (and a 64-bit program is not
// redirected to a virtual copy), so the read then goes through read access.
RegKey OpenMainKeyForReading() {
  if (RegKey key = RegKey::Open(Hive::LocalMachine, kMainKeyPath, RegAccess::All)) return key;
  return RegKey::Open(Hive::LocalMachine, kMainKeyPath, RegAccess::Read);
}

}  // namespace

void SyncLexiconHome() {
  std::optional<std::string> target;
  if (RegKey key = OpenMainKeyForReading())
    target = key.ReadAnsi("Target", kTargetSyncBytes);

  if (!RegKey::Open(Hive::LocalMachine, kLexiconKeyPath, RegAccess::All))
    RegKey::Create(Hive::LocalMachine, kLexiconKeyPath);  // closed again at once

  if (RegKey key = RegKey::Open(Hive::LocalMachine, kLexiconKeyPath, RegAccess::All); key && target)
    key.WriteAnsi("WNHome", *target);
}

FirstRunResult ConsumeFirstRunFlag() {
  FirstRunResult result;
  RegKey key = RegKey::Open(Hive::LocalMachine, kMainKeyPath, RegAccess::All);
  if (!key) return result;
  std::optional<std::string> tut = key.ReadAnsi("Tut", kTutBytes);
  if (!tut || *tut != "0") return result;
  result.firstRun = true;
  if (!key.WriteAnsi("Tut", "1")) return result;
  result.flagWritten = true;
  if (RegKey again = RegKey::Open(Hive::LocalMachine, kMainKeyPath, RegAccess::All))
    again.WriteAnsi("QVLang", "fr");
  return result;
}

std::optional<std::wstring> ReadInstallDir() {
  RegKey key = OpenMainKeyForReading();
  return key ? key.ReadWide(L"Target", kTargetBytes) : std::nullopt;
}

std::optional<std::string> ReadLanguageCode() {
  RegKey key = OpenMainKeyForReading();
  return key ? key.ReadAnsi("QVLang", kLangBytes) : std::nullopt;
}

std::optional<std::string> ReadLexiconHome(Hive hive) {
  RegKey key = RegKey::Open(hive, kLexiconKeyPath, RegAccess::Read);
  return key ? key.ReadAnsi("WNHome", kLexiconHomeBytes) : std::nullopt;
}

std::optional<std::string> ReadLexiconHome() { return ReadLexiconHome(Hive::LocalMachine); }

std::string WordNetDatabaseDir() {
  for (Hive hive : {Hive::LocalMachine, Hive::CurrentUser})
    if (std::optional<std::string> home = ReadLexiconHome(hive)) {
      bool sep = !home->empty() && (home->back() == '\\' || home->back() == '/');
      return *home + (sep ? "dict" : "\\dict");
    }
  return kDefaultWordNetDir;
}

}  // namespace qv
