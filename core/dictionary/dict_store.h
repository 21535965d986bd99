// The dictionary store: given an English word and one of six sources, the text that source
// holds for the word. Four part-of-speech lists and the pronunciation files lie in the dict
// folder of the lexicon home (WNHome); the main translation is in the built-in DICT blocks,
// chosen by the word's first character through dict\qvdict.catalog. The lexicon home comes
// from the look-up configuration; files and blocks are read once and indexed (data_cache.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/dictionary/dict_source.h"
#include "core/lookup/lookup_config.h"
#include "platform/textfile.h"

namespace qv {

// Longest file path, in bytes; a longer one names no file.
inline constexpr std::size_t kMaxPathBytes = 255;

class CDictStore {
 public:
  explicit CDictStore(DictSource src, const LookupConfig& config = CurrentLookupConfig())
      : m_src(src), m_home(config.lexiconHome) {}

  // The source's text for the word (lower-cased first); empty when there is none.
  // Translations carry the catalog's language label: "FR : oreille, épi\r\n".
  std::wstring Lookup(std::wstring word) const;

 private:
  DictSource m_src;
  std::optional<std::string> m_home;  // WNHome of the local machine
};

}  // namespace qv
