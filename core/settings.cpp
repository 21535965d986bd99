#include "core/settings.h"

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

// A value of the main key: the current user's, else the installation's. A value that a tool
// overrides for the installation is read there alone, as the override promises.
std::optional<std::string> ReadUserOrMachine(std::string_view name, std::size_t cbBuffer) {
  const std::wstring wideName(name.begin(), name.end());
  if (!platform::HasValueOverride(Hive::LocalMachine, kMainKeyPath, wideName)) {
    if (RegKey user = RegKey::Open(Hive::CurrentUser, kMainKeyPath, RegAccess::Read))
      if (std::optional<std::string> value = user.ReadAnsi(name, cbBuffer)) return value;
  }
  RegKey key = OpenMainKeyForReading();
  return key ? key.ReadAnsi(name, cbBuffer) : std::nullopt;
}

}  // namespace

void SyncLexiconHome() {
  std::optional<std::string> target;
  if (RegKey key = OpenMainKeyForReading())
    target = key.ReadAnsi("Target", kTargetSyncBytes);

  if (!RegKey::Open(Hive::LocalMachine, kLexiconKeyPath, RegAccess::All))
    RegKey::Create(Hive::LocalMachine, kLexiconKeyPath);  // closed again at once

  if (!target || ReadLexiconHome(Hive::LocalMachine) == target) return;
  if (RegKey key = RegKey::Open(Hive::LocalMachine, kLexiconKeyPath, RegAccess::All))
    key.WriteAnsi("WNHome", *target);
}

FirstRunResult ConsumeFirstRunFlag() {
  FirstRunResult result;
  std::optional<std::string> tut = ReadUserOrMachine("Tut", kTutBytes);
  if (!tut || *tut != "0") return result;
  result.firstRun = true;
  RegKey user = RegKey::Open(Hive::CurrentUser, kMainKeyPath, RegAccess::All);
  if (!user) user = RegKey::Create(Hive::CurrentUser, kMainKeyPath);
  if (!user || !user.WriteAnsi("Tut", "1")) return result;
  result.flagWritten = true;
  if (ReadLanguageCode() != "fr") user.WriteAnsi("QVLang", "fr");
  return result;
}

bool IsLanguageCode(std::string_view code) {
  return code.size() == 2 && code[0] >= 'a' && code[0] <= 'z' && code[1] >= 'a' && code[1] <= 'z';
}

std::optional<std::wstring> ReadInstallDir() {
  RegKey key = OpenMainKeyForReading();
  return key ? key.ReadWide(L"Target", kTargetBytes) : std::nullopt;
}

std::optional<std::string> ReadLanguageCode() {
  std::optional<std::string> code = ReadUserOrMachine("QVLang", kLangBytes);
  return code && IsLanguageCode(*code) ? code : std::nullopt;
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
