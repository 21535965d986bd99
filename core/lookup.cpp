#include "core/lookup.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <vector>

#include "core/textbundle.h"
#include "platform/codepage.h"
#include "platform/errortext.h"

namespace qv {
namespace {

// Each part-of-speech heading gets the French of the form whose senses it introduces: the
// captured word's own line, or for a block of one of its base forms ("see" under "saw") that
// base form's line. Headings without a known form are the word's own.
void FillHeadings(std::wstring& text, const std::wstring& word,
                  const std::vector<std::wstring>& forms, IDictionary& dict) {
  static constexpr std::pair<DictSource, std::wstring_view> kParts[] = {
      {DictSource::Verb, L"#VERB#"}, {DictSource::Noun, L"#NOUN#"},
      {DictSource::Adj, L"#ADJ#"},   {DictSource::Adv, L"#ADV#"}};
  std::map<std::pair<DictSource, std::wstring>, std::wstring> looked;  // each line read once
  std::size_t heading = 0;
  for (std::size_t pos = text.find(L'#'); pos != std::wstring::npos; pos = text.find(L'#', pos)) {
    const auto* part = std::find_if(std::begin(kParts), std::end(kParts), [&](const auto& p) {
      return std::wstring_view(text).substr(pos).starts_with(p.second);
    });
    if (part == std::end(kParts)) {
      ++pos;
      continue;
    }
    const std::wstring& form =
        heading < forms.size() && !forms[heading].empty() ? forms[heading] : word;
    ++heading;
    auto [it, fresh] = looked.try_emplace({part->first, form});
    if (fresh) it->second = L"\t\t\t\t" + dict.Lookup(part->first, form);
    text.replace(pos, part->second.size(), it->second);
    pos += it->second.size();
  }
}

std::wstring DisableLink(const std::wstring& strDisable) {
  return L"\n\t\t\t\t\t\t\t\t<A>" + strDisable + L"</A>";
}

std::wstring TranslationBlock(const std::wstring& word, const std::wstring& strTTL) {
  return L"[" + word + L"]\n" + strTTL + L"\n[" + word + L"]\n";
}

}  // namespace

std::wstring CBundleCaptions::GetText(std::wstring_view key) {
  return CLocalizer(kMainSection, CurrentLookupConfig()).GetText(key);
}

std::wstring ComponentErrorText(const ComponentError& error) {
  if (error.description && !error.description->empty()) return *error.description;
  if (std::optional<std::wstring> text = platform::SystemErrorText(error.code)) return *text;
  char buf[64];
  if (error.code >= 0x80040200u && error.code <= 0x8004FFFFu)
    std::snprintf(buf, sizeof buf, "IDispatch error #%d", static_cast<int>(error.code - 0x80040200u));
  else
    std::snprintf(buf, sizeof buf, "Unknown error 0x%0lX", static_cast<unsigned long>(error.code));
  return platform::AnsiToWide(buf);
}

void CLookup::LookupUnderCursor() {
  ITextCapture& capture = m_Services.capture;
  if (!capture.CreateRequest()) {
    m_Services.messages.Show(kCantCreateCapture, L"Error", IMessageBox::Kind::Error);
    return;  // a popup already on screen stays
  }
  std::wstring sIn;
  ITextCapture::Result r = capture.Capture(kCaptureOptions, L"");
  if (!r.error && r.text.empty())
    r = capture.Capture(kCaptureOptions | kCaptureRecognition, kRecognitionLanguage);
  if (r.error)
    m_Services.messages.Show(ComponentErrorText(*r.error), L"", IMessageBox::Kind::Plain);
  else
    sIn = std::move(r.text);

  if (m_Cache) {
    if (const auto* kept = m_Cache->Find(sIn)) {
      m_Services.popup.Show(kept->first, kept->second);
      return;
    }
  }
  std::wstring captured = m_Cache ? sIn : std::wstring();
  LookupResult result = Compose(std::move(sIn));
  if (m_Cache) m_Cache->Add(captured, result.title, result.body);
  m_Services.popup.Show(result.title, result.body);
}

LookupResult CLookup::Compose(std::wstring sIn) {
  IDictionary& dict = m_Services.dictionary;
  std::wstring sOut;
  bool bLinked = false;
  m_Word.BuildLexicalText(sIn, sOut);

  if (sIn.empty()) {
    sIn = kEmptyTitle;
  } else {
    std::wstring temp = TrimDelimiters(sIn);

    FillHeadings(sOut, temp, m_Word.HeadingForms(), dict);

    std::wstring strPronounce = dict.Lookup(DictSource::Pronounce, temp);
    if (!strPronounce.empty()) sIn += L"  " + strPronounce + L" *";

    std::wstring morphedWordS;
    std::string sNarrow = m_Word.ToNarrowWord(temp);
    if (m_Word.ConversionStatus == 0) {
      if (std::optional<std::string> base = m_Services.lexical.BaseForm(std::move(sNarrow)))
        morphedWordS = platform::AnsiToWide(*base);
    }
    if (!morphedWordS.empty()) {
      // The base form's pronunciation replaces the word's, even when it has none.
      strPronounce = dict.Lookup(DictSource::Pronounce, morphedWordS);
      sIn += L" --> " + morphedWordS;
      if (!strPronounce.empty()) sIn += L" " + strPronounce + L" *";
    }

    if (!strPronounce.empty()) sOut += L"\n* " + m_Services.captions.GetText(kPronounceHelpKey);
    sOut += DisableLink(m_Services.captions.GetText(kDisableKey));
    bLinked = true;

    std::wstring strTTL = dict.Lookup(DictSource::Translation, temp);
    if (!strTTL.empty()) {
      sOut = TranslationBlock(temp, strTTL) + sOut;
    } else if (!morphedWordS.empty()) {
      strTTL = dict.Lookup(DictSource::Translation, morphedWordS);
      if (!strTTL.empty()) sOut = TranslationBlock(morphedWordS, strTTL) + sOut;
    }
  }
  if (!bLinked) sOut += DisableLink(m_Services.captions.GetText(kDisableKey));
  return {std::move(sIn), std::move(sOut)};
}

}  // namespace qv
