#include "core/history/flash_cards.h"

#include "core/lookup/real_text.h"
#include "platform/codepage.h"
#include "platform/utf8.h"

namespace qv {
namespace {

void ReplaceAll(std::wstring& s, std::wstring_view from, std::wstring_view to) {
  for (std::size_t pos = s.find(from); pos != std::wstring::npos; pos = s.find(from, pos + to.size()))
    s.replace(pos, from.size(), to);
}

}  // namespace

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

}  // namespace qv
