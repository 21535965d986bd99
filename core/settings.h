// The installation-wide settings in the registry. Every reader opens, reads and closes at the
// moment of use; nothing is cached, so a change made while QV runs is seen by the next reader.
// The installer writes its values under the local machine's key; what the program itself must
// write for a user (the first-run flag, the language it sets then) goes under the same path of
// the current user's hive, which every user may write, and is read there first: the local
// machine's values are the defaults. Nothing is written that already holds the same value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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

// Copies the installation directory (Target) into the lexicon home (WNHome) when they differ,
// creating the lexicon key when it is missing. When Target cannot be read, WNHome keeps its value.
void SyncLexiconHome();

// The first-run flag Tut (the current user's, else the installation's): at "0" it becomes "1" for
// this user, and the user's QVLang becomes "fr". The tutorial is opened by the caller only when
// both flags are set, so that a flag that cannot be written does not open it at every start.
FirstRunResult ConsumeFirstRunFlag();

// A language code as the bundles' file names take it: two lower-case ASCII letters.
bool IsLanguageCode(std::string_view code);

// Target as wide text (the text bundle's reader).
std::optional<std::wstring> ReadInstallDir();
// QVLang as 8-bit text (the current user's, else the installation's); absent unless it is a
// language code.
std::optional<std::string> ReadLanguageCode();
// WNHome from the local machine only, as 8-bit text (the dictionary store's reader).
std::optional<std::string> ReadLexiconHome();
// WNHome from one hive, as 8-bit text.
std::optional<std::string> ReadLexiconHome(platform::Hive hive);

// The WordNet database folder: WNHome + "dict" from the local machine, else from the current
// user, else kDefaultWordNetDir.
std::string WordNetDatabaseDir();

}  // namespace qv
