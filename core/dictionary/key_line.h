// The key-line format of QV's dictionary files and DICT blocks: "key=value" lines, found by
// the first line whose key is the word.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/textfile.h"

namespace qv {

// The bytes a line of the file begins with when its text begins with `key` and "=". Empty when
// there is no single such sequence: a character ISO 8859-1 cannot hold, or one that UTF-8
// decoding can also produce from other bytes (U+FFFD stands for any invalid byte) or never
// produces at all (an unpaired surrogate, a value past U+10FFFF).
std::string EncodeKeyPrefix(std::wstring_view key, platform::TextEncoding encoding);

// Characters per line read by FindKeyInFile; a longer line is read in pieces of one less.
inline constexpr std::size_t kLineBufferChars = 500000;
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
