// The installation's values a look-up depends on, read from the registry into one value: where
// the text bundle lies and in which language (Target, QVLang), and where the dictionary data
// and the WordNet database lie (WNHome). The dictionary store, the text bundle and the lexical
// analysis take this value instead of opening the registry at each look-up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qv {

struct LookupConfig {
  std::optional<std::wstring> installDir;      // Target, as wide text
  std::optional<std::string> language;         // QVLang
  std::optional<std::string> lexiconHome;      // WNHome of the local machine
  std::optional<std::string> userLexiconHome;  // WNHome of the current user

  // The values as the registry holds them now.
  static LookupConfig FromRegistry();
  // The WordNet database folder: WNHome + "dict" from the local machine, else from the current
  // user, else the default folder.
  std::string WordNetDir() const;

  friend bool operator==(const LookupConfig&, const LookupConfig&) = default;
};

// The value the program's look-ups use: read at the first call and read again only after the
// program's keys changed (platform::KeyWatch), so that a change made while QV runs is still
// picked up. The reference stays valid; its contents change with the registry.
const LookupConfig& CurrentLookupConfig();
// Grows each time CurrentLookupConfig finds a value different from the one it held.
std::uint64_t LookupConfigGeneration();

}  // namespace qv
