#include "platform/codepage.h"

#include "platform/utf8.h"

#include <array>

namespace qv::platform {
namespace {

// Windows-1252 bytes 0x80-0x9F; the five bytes the code page leaves undefined map to the C1
// control with the same number, as the system conversion does.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ToCp1252(wchar_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == static_cast<char32_t>(c)) return static_cast<char>(0x80 + i);
  return '?';
}

}  // namespace

std::wstring AnsiToWide(std::string_view text) {
  // Whole dictionary blocks pass through here on every look-up: one table, one pass.
  static const auto kTable = [] {
    std::array<wchar_t, 256> t{};
    for (int b = 0; b < 256; ++b)
      t[b] = b >= 0x80 && b < 0xA0 ? static_cast<wchar_t>(kHigh[b - 0x80]) : static_cast<wchar_t>(b);
    return t;
  }();
  std::wstring out(text.size(), L'\0');
  for (std::size_t i = 0; i < text.size(); ++i) out[i] = kTable[static_cast<unsigned char>(text[i])];
  return out;
}

std::string WideToAnsi(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) out.push_back(ToCp1252(c));
  return out;
}

std::wstring Utf8ToWide(std::string_view text) {
  std::wstring out;
  DecodeUtf8(text, out);
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = NextCodePoint(text, i);
    if (cp > 0x10FFFF || IsSurrogate(cp)) cp = 0xFFFD;
    AppendUtf8(cp, out);
  }
  return out;
}

}  // namespace qv::platform
