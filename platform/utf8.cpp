#include "platform/utf8.h"

#include <cwchar>

namespace qv::platform {

void DecodeUtf8(std::string_view in, std::wstring& out) {
  out.clear();
  const auto* s = reinterpret_cast<const unsigned char*>(in.data());
  std::size_t n = in.size(), i = 0;
  while (i < n) {
    unsigned char b = s[i];
    if (b < 0x80) {
      out.push_back(static_cast<wchar_t>(b));
      ++i;
      continue;
    }
    std::size_t len = (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    char32_t cp = len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    bool ok = len != 0 && i + len <= n;
    for (std::size_t k = 1; ok && k < len; ++k) {
      ok = (s[i + k] & 0xC0) == 0x80;
      cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && (cp < kMin[len] || cp > 0x10FFFF || IsSurrogate(cp))) ok = false;
    if (!ok) {
      out.push_back(static_cast<wchar_t>(0xFFFD));
      ++i;
      continue;
    }
#if WCHAR_MAX <= 0xFFFF
    if (cp > 0xFFFF) {  // UTF-16: a surrogate pair
      out.push_back(static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
      i += len;
      continue;
    }
#endif
    out.push_back(static_cast<wchar_t>(cp));
    i += len;
  }
}

char32_t NextCodePoint(std::wstring_view text, std::size_t& i) noexcept {
  // Where wchar_t is 32 bits it may be signed: a value past U+10FFFF stays one.
  const auto c = static_cast<char32_t>(text[i++]);
  if (IsHighSurrogate(c) && i < text.size() && IsLowSurrogate(static_cast<char32_t>(text[i])))
    return JoinSurrogates(c, static_cast<char32_t>(text[i++]));
  return c;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace qv::platform
