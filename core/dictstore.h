// The dictionary store: given an English word and one of six sources, the text that source
// holds for the word. Four part-of-speech lists and the pronunciation files lie in the dict
// folder of the lexicon home (WNHome); the main translation is in the built-in DICT blocks,
// chosen by the word's first character through dict\qvdict.catalog. The lexicon home comes
// from the look-up configuration; files and blocks are read once and indexed (datacache.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/dict_source.h"
#include "core/lookup_config.h"
#include "platform/textfile.h"

namespace qv {

// Characters per line read by FindKeyInFile; a longer line is read in pieces of one less.
inline constexpr std::size_t kLineBufferChars = 500000;
// Longest file path, in bytes; a longer one names no file.
inline constexpr std::size_t kMaxPathBytes = 255;

class CDictSource {
 public:
  explicit CDictSource(DictSource src, const LookupConfig& config = CurrentLookupConfig())
      : m_src(src), m_home(config.lexiconHome) {}

  // The source's text for the word (lower-cased first); empty when there is none.
  // Translations carry the catalog's language label: "FR : oreille, épi\r\n".
  std::wstring Lookup(std::wstring word) const;

 private:
  DictSource m_src;
  std::optional<std::string> m_home;  // WNHome of the local machine
};

// The value of `line` for `key` as FindKeyInFile takes it: none when the line does not begin
// with the key and "=".
std::optional<std::wstring> KeyValueOfLine(std::wstring_view line, std::wstring_view key);

// The value of the first line of `stream` (from its current position) whose key is `key`:
// the text after the run of "=" that ends the key, up to the next "=" or the end of the line.
// Empty when no line matches or the key is empty. The stream is closed in every case.
std::wstring FindKeyInFile(platform::TextFile stream, std::wstring_view key);

// Scans a decoded DICT block for the first line that begins with `word` and returns the rest of
// that line after its "=", line break included; empty when that line's key is longer than
// `word` or no line begins with it.
std::wstring FindKeyInText(std::wstring_view text, std::wstring_view word);

}  // namespace qv
