#include "lexicon/lookup.h"

#include <cstdio>

#include "lexicon/textbundle.h"
#include "platform/codepage.h"
#include "platform/errortext.h"

namespace qv {
namespace {

void ReplaceAll(std::wstring& text, std::wstring_view marker, const std::wstring& with) {
  for (std::size_t pos = text.find(marker); pos != std::wstring::npos;
       pos = text.find(marker, pos + with.size()))
    text.replace(pos, marker.size(), with);
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

    static constexpr std::pair<Source, std::wstring_view> kParts[] = {
        {Source::Verb, L"#VERB#"}, {Source::Noun, L"#NOUN#"},
        {Source::Adj, L"#ADJ#"},   {Source::Adv, L"#ADV#"}};
    for (const auto& [source, marker] : kParts) {
      if (sOut.find(marker) == std::wstring::npos) continue;  // an absent marker costs nothing
      ReplaceAll(sOut, marker, L"\t\t\t\t" + dict.Lookup(source, temp));
    }

    std::wstring strPronounce = dict.Lookup(Source::Pronounce, temp);
    if (!strPronounce.empty()) sIn += L"  " + strPronounce + L" *";

    std::wstring morphedWordS;
    std::string sNarrow = m_Word.ToNarrowWord(temp);
    if (m_Word.ConversionStatus == 0) {
      if (std::optional<std::string> base = m_Services.lexical.BaseForm(std::move(sNarrow)))
        morphedWordS = platform::AnsiToWide(*base);
    }
    if (!morphedWordS.empty()) {
      // The base form's pronunciation replaces the word's, even when it has none.
      strPronounce = dict.Lookup(Source::Pronounce, morphedWordS);
      sIn += L" --> " + morphedWordS;
      if (!strPronounce.empty()) sIn += L" " + strPronounce + L" *";
    }

    if (!strPronounce.empty()) sOut += L"\n* " + m_Services.captions.GetText(kPronounceHelpKey);
    sOut += DisableLink(m_Services.captions.GetText(kDisableKey));
    bLinked = true;

    std::wstring strTTL = dict.Lookup(Source::Translation, temp);
    if (!strTTL.empty()) {
      sOut = TranslationBlock(temp, strTTL) + sOut;
    } else if (!morphedWordS.empty()) {
      strTTL = dict.Lookup(Source::Translation, morphedWordS);
      if (!strTTL.empty()) sOut = TranslationBlock(morphedWordS, strTTL) + sOut;
    }
  }
  if (!bLinked) sOut += DisableLink(m_Services.captions.GetText(kDisableKey));
  return {std::move(sIn), std::move(sOut)};
}

}  // namespace qv
