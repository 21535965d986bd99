#include "core/lookup/real_text.h"

#include <cwctype>


namespace qv {
namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// Letters with single dots between them, each piece one or two letters: "U.S", "e.g", "Ph.D".
bool IsDottedAbbreviation(std::wstring_view word) {
  if (word.find(L'.') == std::wstring_view::npos) return false;
  std::size_t piece = 0;
  for (wchar_t c : word) {
    if (c == L'.') {
      if (piece == 0) return false;
      piece = 0;
    } else if (!IsAsciiLetter(c) || ++piece > 2) {
      return false;
    }
  }
  return piece > 0;
}

}  // namespace

std::wstring TrimDelimiters(std::wstring_view text) {
  auto isDelim = [](wchar_t c) {
    return kWordDelimiters.find(c) != std::wstring_view::npos ||
           kTypographicQuotes.find(c) != std::wstring_view::npos;
  };
  for (int pass = 0; pass < 2; ++pass) {
    while (!text.empty() && isDelim(text.front())) text.remove_prefix(1);
    while (!text.empty() && isDelim(text.back())) text.remove_suffix(1);
  }
  return std::wstring(text);
}

std::wstring PlainLetters(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    switch (c) {
      case 0x2018: case 0x2019: case 0x02BC: out += L'\''; break;
      case 0xFB00: out += L"ff"; break;
      case 0xFB01: out += L"fi"; break;
      case 0xFB02: out += L"fl"; break;
      case 0xFB03: out += L"ffi"; break;
      case 0xFB04: out += L"ffl"; break;
      case 0x00AD: break;  // a soft hyphen only shows where a line breaks
      case 0x2010: case 0x2011: out += L'-'; break;
      default: out += c;
    }
  }
  return out;
}

std::wstring WordOfToken(std::wstring_view token) {
  const std::wstring plain = PlainLetters(token);
  std::wstring word = TrimDelimiters(plain);
  if (!word.empty() && IsDottedAbbreviation(word)) {
    // The word starts at its first occurrence: what was trimmed before it is delimiters only.
    const std::size_t end = plain.find(word) + word.size();
    if (end < plain.size() && plain[end] == L'.') word += L'.';
  }
  return word;
}

std::wstring PossessiveStem(std::wstring_view word) {
  if (word.size() < 3 || (!word.ends_with(L"'s") && !word.ends_with(L"'S"))) return {};
  std::wstring_view stem = word.substr(0, word.size() - 2);
  if (!std::iswalpha(stem.back())) return {};
  return std::wstring(stem);
}

std::vector<std::wstring> CompoundVariants(std::wstring_view word) {
  const bool hyphen = word.find(L'-') != std::wstring_view::npos;
  const bool space = word.find(L' ') != std::wstring_view::npos;
  if (hyphen == space) return {};  // one piece, or a mixture left as written
  const wchar_t from = hyphen ? L'-' : L' ';
  std::wstring other(word), joined;
  for (wchar_t& c : other)
    if (c == from) c = hyphen ? L' ' : L'-';
  for (wchar_t c : word)
    if (c != from) joined += c;
  return {other, joined};
}

}  // namespace qv
