// The installation-wide settings in the registry. Every reader opens, reads and closes at the
// moment of use; nothing is cached, so a change made while QV runs is seen by the next reader.
#pragma once

#include <optional>
#include <string>

#include "platform/registry.h"

namespace qv {

inline constexpr wchar_t kMainKeyPath[] = L"Software\\Brantel\\QV-fr";
inline constexpr wchar_t kLexiconKeyPath[] = L"Software\\Brantel\\QV-fr\\dict\\2.1";
// Where the lexical analysis looks for its database when no lexicon home is recorded.
inline constexpr char kDefaultWordNetDir[] = "C:\\Program Files\\WordNet\\2.1\\dict";

// Buffer sizes, in bytes, that the readers pass as the data length; a longer value is absent.
inline constexpr std::size_t kTargetBytes = 255;
inline constexpr std::size_t kTargetSyncBytes = 260;
inline constexpr std::size_t kLangBytes = 255;
inline constexpr std::size_t kTutBytes = 255;
inline constexpr std::size_t kLexiconHomeBytes = 256;

struct FirstRunResult {
  bool firstRun = false;
  bool flagWritten = false;
};

// Copies the installation directory (Target) into the lexicon home (WNHome), creating the
// lexicon key when it is missing. When Target cannot be read, WNHome keeps its value.
void SyncLexiconHome();

// Moves the first-run flag Tut from "0" to "1" and sets QVLang to "fr". The tutorial is opened
// by the caller only when both flags are set.
FirstRunResult ConsumeFirstRunFlag();

// Target as wide text (the text bundle's reader).
std::optional<std::wstring> ReadInstallDir();
// QVLang as 8-bit text.
std::optional<std::string> ReadLanguageCode();
// WNHome from the local machine only, as 8-bit text (the dictionary store's reader).
std::optional<std::string> ReadLexiconHome();
// WNHome from one hive, as 8-bit text.
std::optional<std::string> ReadLexiconHome(platform::Hive hive);

// The WordNet database folder: WNHome + "dict" from the local machine, else from the current
// user, else kDefaultWordNetDir.
std::string WordNetDatabaseDir();

}  // namespace qv
