// UTF-8 decoding, the same on both builds: an invalid or truncated sequence, an overlong form, a
// surrogate or a value past U+10FFFF gives one U+FFFD for its first byte, and decoding goes on
// with the next byte. Where wchar_t is 16 bits, characters past U+FFFF become surrogate pairs.
#pragma once

#include <string>
#include <string_view>

namespace qv::platform {

// Replaces out's contents; out keeps its capacity, so a caller can reuse it line after line.
void DecodeUtf8(std::string_view in, std::wstring& out);

// Appends the UTF-8 bytes of one code point (at most U+10FFFF, not a surrogate).
void AppendUtf8(char32_t c, std::string& out);

}  // namespace qv::platform
