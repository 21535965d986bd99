// UTF-8 decoding, the same on both builds: an invalid or truncated sequence, an overlong form, a
// surrogate or a value past U+10FFFF gives one U+FFFD for its first byte, and decoding goes on
// with the next byte. Where wchar_t is 16 bits, characters past U+FFFF become surrogate pairs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv::platform {

// Replaces out's contents; out keeps its capacity, so a caller can reuse it line after line.
void DecodeUtf8(std::string_view in, std::wstring& out);

// Appends the UTF-8 bytes of one code point (at most U+10FFFF, not a surrogate).
void AppendUtf8(char32_t c, std::string& out);

// UTF-16 surrogates: a character past U+FFFF as two code units, a high one then a low one.
constexpr bool IsHighSurrogate(char32_t c) noexcept { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t c) noexcept { return c >= 0xDC00 && c <= 0xDFFF; }
constexpr bool IsSurrogate(char32_t c) noexcept { return c >= 0xD800 && c <= 0xDFFF; }
constexpr char32_t JoinSurrogates(char32_t high, char32_t low) noexcept {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// The character that begins at text[i], a surrogate pair joined into one, and moves i past it.
// A surrogate without its partner comes back as it is, for the caller to judge.
char32_t NextCodePoint(std::wstring_view text, std::size_t& i) noexcept;

}  // namespace qv::platform
