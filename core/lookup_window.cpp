#include "core/lookup_window.h"

#include <cwctype>

#include "core/lookup/captured_word.h"
#include "platform/codepage.h"
#include "platform/utf8.h"

namespace qv {
namespace {

constexpr std::wstring_view kLinkStart = L"\n\t\t\t\t\t\t\t\t<A>";
constexpr std::wstring_view kLinkEnd = L"</A>";

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
