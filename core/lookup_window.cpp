#include "core/lookup_window.h"

#include <cwctype>

#include "core/captured_word.h"
#include "platform/codepage.h"
#include "platform/utf8.h"

namespace qv {
namespace {

constexpr std::wstring_view kLinkStart = L"\n\t\t\t\t\t\t\t\t<A>";
constexpr std::wstring_view kLinkEnd = L"</A>";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view TrimBlanks(std::wstring_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

void ReplaceAll(std::wstring& s, std::wstring_view from, std::wstring_view to) {
  for (std::size_t pos = s.find(from); pos != std::wstring::npos; pos = s.find(from, pos + to.size()))
    s.replace(pos, from.size(), to);
}

}  // namespace

std::wstring EntryText(const LookupResult& result) {
  std::wstring_view body = result.body;
  if (body.size() >= kLinkEnd.size() && body.substr(body.size() - kLinkEnd.size()) == kLinkEnd) {
    std::size_t link = body.rfind(kLinkStart);
    if (link != std::wstring_view::npos) body = body.substr(0, link);
  }
  return result.title + L"\n" + std::wstring(body);
}

LookupFacts FactsOf(std::wstring_view captured, const LookupResult& result) {
  LookupFacts facts;
  facts.word = TrimDelimiters(captured);
  // Title: captured ["  " pronunciation " *"] [" --> " base [" " pronunciation " *"]].
  std::size_t arrow = result.title.rfind(L" --> ");
  if (arrow != std::wstring::npos) {
    std::wstring_view base = std::wstring_view(result.title).substr(arrow + 5);
    if (base.size() >= 2 && base.substr(base.size() - 2) == L" *") {
      base.remove_suffix(2);
      std::size_t space = base.rfind(L' ');
      if (space != std::wstring_view::npos) base = base.substr(0, space);
    }
    facts.base = base;
  }
  // Body: "[" word "]\n" translation "\n[" word "]\n" ...
  std::wstring_view body = result.body;
  std::size_t close = body.find(L"]\n");
  if (!body.empty() && body.front() == L'[' && close != std::wstring_view::npos) {
    const std::wstring mark = L"\n" + std::wstring(body.substr(0, close)) + L"]\n";
    std::size_t end = body.find(mark, close + 2);
    if (end != std::wstring_view::npos) {
      std::wstring_view text = body.substr(close + 2, end - close - 2);
      while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.remove_suffix(1);
      // The catalog's language label comes first: "FR : oreille, épi".
      std::size_t label = text.find(L" : ");
      if (label != std::wstring_view::npos && label <= 8) text.remove_prefix(label + 3);
      facts.french = TrimBlanks(text);
    }
  }
  return facts;
}

std::wstring FirstSense(std::wstring_view body) {
  std::size_t start = body.substr(0, 3) == L"1. " ? 0 : body.find(L"\n1. ");
  if (start == std::wstring_view::npos) return {};
  if (start != 0) ++start;
  start += 3;
  // The sense goes on over its wrapped lines, which begin with four spaces. Its examples follow
  // the definition after a colon (the look-up has removed their quotes).
  std::size_t end = start;
  for (;;) {
    std::size_t nl = body.find(L'\n', end);
    if (nl == std::wstring_view::npos) {
      end = body.size();
      break;
    }
    end = nl;
    if (body.substr(nl + 1, 4) != L"    ") break;
    end = nl + 1;
  }
  std::wstring sense(body.substr(start, end - start));
  ReplaceAll(sense, L"\n    ", L" ");
  for (std::wstring_view cut : {L". synonyms: [", L": "}) {
    std::size_t at = sense.find(cut);
    if (at != std::wstring::npos) sense.erase(at);
  }
  while (!sense.empty() && (sense.back() == L'.' || sense.back() == L':' || IsBlank(sense.back()) ||
                            sense.back() == L'\n'))
    sense.pop_back();
  return sense;
}

std::string FlashCardExport(const std::vector<HistoryEntry>& entries,
                            const std::function<std::wstring(const HistoryEntry&)>& senseOf) {
  auto field = [](std::wstring s) {
    for (wchar_t& c : s)
      if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
    return platform::WideToUtf8(TrimBlanks(s));
  };
  std::string out;
  for (const HistoryEntry& e : entries)
    out += field(e.word) + "\t" + field(e.french) + "\t" + field(senseOf(e)) + "\r\n";
  return out;
}

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

bool CPopupHistoryTap::CreateRequest() {
  m_captured.clear();
  return m_capture.CreateRequest();
}

ITextCapture::Result CPopupHistoryTap::Capture(std::uint32_t options, std::wstring_view ocrLanguage) {
  Result r = m_capture.Capture(options, ocrLanguage);
  m_captured = r.error ? std::wstring() : r.text;
  return r;
}

void CPopupHistoryTap::Show(const std::wstring& title, const std::wstring& body) {
  m_popup.Show(title, body);
  const std::wstring word = TrimDelimiters(m_captured);
  if (word.empty()) return;
  if (word == m_lastWord && title == m_lastTitle && body == m_lastBody) return;
  m_lastWord = word;
  m_lastTitle = title;
  m_lastBody = body;
  m_recorder.RecordLookup(m_captured, {title, body});
}

}  // namespace qv
