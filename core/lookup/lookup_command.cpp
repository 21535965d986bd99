#include "core/lookup/lookup_command.h"

#include <cwctype>

#include "core/lookup/real_text.h"
#include "platform/codepage.h"
#include "platform/utf8.h"

namespace qv {
namespace {

// Control characters, format characters (general category Cf) and the line and paragraph
// separators: invisible, or breaking the line they stand in.
bool IsControlOrFormat(char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return true;
  struct Range {
    char32_t first, last;
  };
  static constexpr Range kFormat[] = {
      {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
      {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
      {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
      {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
      {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
      {0xE0020, 0xE007F},
  };
  for (const Range& r : kFormat)
    if (c >= r.first && c <= r.last) return true;
  return false;
}

}  // namespace

std::optional<std::wstring> AcceptableWord(std::wstring_view text) {
  text = TrimBlanks(text);
  if (text.empty() || text.size() > kMaxTypedWord) return std::nullopt;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = platform::NextCodePoint(text, i);
    if (platform::IsSurrogate(c) || c > 0x10FFFF || IsControlOrFormat(c)) return std::nullopt;
  }
  return std::wstring(text);
}

std::optional<std::wstring> CopyDataWord(std::uint64_t tag, const void* data, std::size_t bytes) {
  if (tag != kCopyDataLookup || bytes % 2 != 0 || bytes > kMaxTypedWord * 2 || (bytes && !data))
    return std::nullopt;
  // UTF-16LE units, whatever the width of wchar_t: where it is 32 bits a pair becomes one
  // character, and a lone surrogate stays for AcceptableWord to refuse.
  const auto* b = static_cast<const unsigned char*>(data);
  std::wstring text;
  for (std::size_t i = 0; i < bytes; i += 2) {
    char32_t unit = b[i] | static_cast<char32_t>(b[i + 1]) << 8;
    if constexpr (sizeof(wchar_t) > 2) {
      if (platform::IsLowSurrogate(unit) && !text.empty() &&
          platform::IsHighSurrogate(static_cast<char32_t>(text.back()))) {
        text.back() = static_cast<wchar_t>(platform::JoinSurrogates(text.back(), unit));
        continue;
      }
    }
    text.push_back(static_cast<wchar_t>(unit));
  }
  if (text.empty()) return text;
  return AcceptableWord(text);
}

std::optional<std::wstring> ParseLookupCommand(std::wstring_view tail) {
  constexpr std::wstring_view kCommand = L"/lookup";
  tail = TrimBlanks(tail);
  if (tail.size() < kCommand.size()) return std::nullopt;
  for (std::size_t i = 0; i < kCommand.size(); ++i)
    if (static_cast<wchar_t>(std::towlower(tail[i])) != kCommand[i]) return std::nullopt;
  std::wstring_view rest = tail.substr(kCommand.size());
  if (!rest.empty() && !IsBlank(rest.front())) return std::nullopt;
  rest = TrimBlanks(rest);
  if (rest.size() >= 2 && rest.front() == L'"' && rest.back() == L'"')
    rest = rest.substr(1, rest.size() - 2);
  return AcceptableWord(rest).value_or(std::wstring());
}

}  // namespace qv
