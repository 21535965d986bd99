#include "platform/profile_parse.h"

#include <vector>

#include "platform/casemap.h"
#include "platform/codepage.h"
#include "platform/utf8.h"

namespace qv::platform {
namespace {

// White space as the profile reader sees it: the Unicode spaces, CR, and ^Z (a DOS end of file).
bool IsSpace(wchar_t c) {
  switch (static_cast<char32_t>(c)) {
    case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x1A: case 0x20:
    case 0x85: case 0xA0: case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F:
    case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;
  }
}

std::wstring_view Trim(std::wstring_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::wstring Utf16ToWide(std::string_view bytes, bool bigEndian) {
  std::wstring out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto lo = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
    auto hi = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
    out.push_back(static_cast<wchar_t>(lo | (hi << 8)));
  }
  if constexpr (sizeof(wchar_t) == 4) {
    // Join surrogate pairs into code points where wchar_t holds them.
    std::wstring joined;
    joined.reserve(out.size());
    for (std::size_t i = 0; i < out.size();)
      joined.push_back(static_cast<wchar_t>(NextCodePoint(out, i)));
    return joined;
  }
  return out;
}

std::wstring Decode(const std::string& bytes) {
  std::string_view b(bytes);
  if (b.substr(0, 3) == "\xEF\xBB\xBF") return Utf8ToWide(b.substr(3));
  if (b.substr(0, 2) == "\xFF\xFE") return Utf16ToWide(b.substr(2), false);
  if (b.substr(0, 2) == "\xFE\xFF") return Utf16ToWide(b.substr(2), true);
  return AnsiToWide(b);
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  std::wstring la(a), lb(b);
  LowerInPlace(la);
  LowerInPlace(lb);
  return la == lb;
}

// lstrcpyn into a buffer of cch characters, then the quote rule: a value wholly enclosed in
// matching single or double quotes loses them, when the buffer held the whole of it.
std::wstring CopyEntry(std::wstring_view value, std::size_t cch, bool stripQuote) {
  wchar_t quote = 0;
  if (stripQuote && !value.empty() && (value[0] == L'\'' || value[0] == L'"') &&
      value.size() > 1 && value.back() == value[0]) {
    quote = value[0];
    value.remove_prefix(1);
  }
  std::wstring out(value.substr(0, cch ? cch - 1 : 0));
  if (quote && cch >= value.size() && !out.empty()) out.pop_back();
  return out;
}

struct Entry {
  std::wstring_view name;
  std::optional<std::wstring_view> value;  // none for a line without "="
};

struct Section {
  std::wstring_view name;
  std::vector<Entry> entries;
};

std::vector<Section> Parse(std::wstring_view text) {
  std::vector<Section> sections(1);  // keys before the first header belong to a nameless one
  bool prevEmptyName = false, havePrev = false;
  while (!text.empty()) {
    std::size_t nl = text.find(L'\n');
    std::wstring_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::wstring_view::npos ? text.size() : nl + 1);
    line = Trim(line);
    if (line.empty()) continue;
    if (line.front() == L'[') {
      std::size_t close = line.rfind(L']');
      if (close != std::wstring_view::npos) {
        sections.push_back({Trim(line.substr(1, close - 1)), {}});
        havePrev = false;
        continue;
      }
    }
    Entry e{line, std::nullopt};
    if (std::size_t eq = line.find(L'='); eq != std::wstring_view::npos) {
      std::wstring_view name = line.substr(0, eq);
      while (!name.empty() && IsSpace(name.back())) name.remove_suffix(1);
      std::wstring_view value = line.substr(eq + 1);
      while (!value.empty() && IsSpace(value.front())) value.remove_prefix(1);
      e = {name, value};
    }
    // Runs of lines with an empty name keep only their first.
    if (!e.name.empty() || !havePrev || !prevEmptyName) {
      sections.back().entries.push_back(e);
      havePrev = true;
      prevEmptyName = e.name.empty();
    }
  }
  return sections;
}

}  // namespace

std::wstring ProfileStringFromBytes(const std::optional<std::string>& fileBytes,
                                    std::wstring_view section, std::wstring_view key,
                                    std::wstring_view def, std::size_t cchBuffer) {
  if (cchBuffer == 0) return {};
  // The default loses its trailing blanks.
  while (!def.empty() && def.back() == L' ') def.remove_suffix(1);

  // A missing file reads as an empty one.
  std::wstring text = fileBytes ? Decode(*fileBytes) : std::wstring();
  std::wstring_view wantSection = Trim(section), wantKey = Trim(key);
  for (const Section& s : Parse(text)) {
    if (!EqualNoCase(s.name, wantSection)) continue;
    // Only the first section of a name is searched.
    for (const Entry& e : s.entries)
      if (!wantKey.empty() && EqualNoCase(e.name, wantKey)) return CopyEntry(e.value ? *e.value : def, cchBuffer, true);
    break;
  }
  return CopyEntry(def, cchBuffer, true);
}

}  // namespace qv::platform
