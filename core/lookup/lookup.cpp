#include "core/lookup/lookup.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <iterator>
#include <map>
#include <vector>

#include "core/lookup/real_text.h"
#include "core/dictionary/text_bundle.h"
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

bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

std::wstring DisableLink(const std::wstring& disable) {
  return L"\n\t\t\t\t\t\t\t\t<A>" + disable + L"</A>";
}

std::wstring TranslationBlock(const std::wstring& word, const std::wstring& title) {
  return L"[" + word + L"]\n" + title + L"\n[" + word + L"]\n";
}

}  // namespace

std::wstring CBundleCaptions::GetText(std::wstring_view key) {
  return CTextBundle(kMainSection, CurrentLookupConfig()).GetText(key);
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
  ITextCapture& capture = m_services.capture;
  if (!capture.CreateRequest()) {
    m_services.messages.Show(kCantCreateCapture, L"Error", IMessageBox::Kind::Error);
    return;  // a popup already on screen stays
  }
  std::wstring captured, context;
  long contextStart = -1;
  ITextCapture::Result r = capture.Capture(kCaptureOptions, L"");
  if (!r.error && r.text.empty())
    r = capture.Capture(kCaptureOptions | kCaptureRecognition, kRecognitionLanguage);
  if (r.error) {
    m_services.messages.Show(ComponentErrorText(*r.error), L"", IMessageBox::Kind::Plain);
  } else {
    captured = std::move(r.text);
    context = std::move(r.context);
    contextStart = r.contextStart;
  }

  // The same word in another sentence may stand in another expression.
  std::wstring key = captured;
  if (contextStart >= 0 && !context.empty())
    key += L'\n' + std::to_wstring(contextStart) + L'\n' + context;
  if (m_cache) {
    if (const auto* kept = m_cache->Find(key)) {
      m_services.popup.Show(kept->first, kept->second);
      return;
    }
  }
  LookupResult result = Compose(std::move(captured), context, contextStart);
  if (m_cache) m_cache->Add(key, result.title, result.body);
  m_services.popup.Show(result.title, result.body);
}

bool CLookup::HasTranslation(const std::wstring& word) {
  return !m_services.dictionary.Lookup(DictSource::Translation, word).empty();
}

std::wstring CLookup::SpellingWithEntry(const std::wstring& written) {
  std::vector<std::wstring> spellings{written};
  if (std::wstring stem = PossessiveStem(written); !stem.empty()) spellings.push_back(stem);
  for (std::wstring& v : CompoundVariants(written)) spellings.push_back(std::move(v));
  if (spellings.size() == 1) return written;
  for (const std::wstring& s : spellings)
    if (HasTranslation(s)) return s;
  for (const std::wstring& s : spellings) {
    std::string narrow = m_word.ToNarrowWord(s);
    if (m_word.ConversionStatus == 0 && m_services.lexical.Knows(narrow)) return s;
  }
  return written;
}

LookupResult CLookup::Compose(std::wstring captured, std::wstring_view context, long contextStart) {
  IDictionary& dict = m_services.dictionary;
  const std::wstring link = DisableLink(m_services.captions.GetText(kDisableKey));
  std::wstring out;
  if (captured.empty()) {
    m_word.BuildLexicalText(captured, out);
    return {kEmptyTitle, out + link};
  }
  const std::wstring written = WordOfToken(captured);
  const std::wstring temp = SpellingWithEntry(written);

  std::wstring morphedWordS;
  std::string narrow = m_word.ToNarrowWord(temp);
  if (m_word.ConversionStatus == 0) {
    if (std::optional<std::string> base = m_services.lexical.BaseForm(std::move(narrow)))
      morphedWordS = platform::AnsiToWide(*base);
  }
  // A possessive or another spelling shows the word it was looked up as.
  if (morphedWordS.empty() && temp != written) morphedWordS = temp;

  // The word's own French: its line, else its base form's.
  std::wstring wordBlock;
  if (std::wstring title = dict.Lookup(DictSource::Translation, temp); !title.empty())
    wordBlock = TranslationBlock(temp, title);
  else if (!morphedWordS.empty())
    if (title = dict.Lookup(DictSource::Translation, morphedWordS); !title.empty())
      wordBlock = TranslationBlock(morphedWordS, title);

  if (contextStart >= 0 && static_cast<std::size_t>(contextStart) < context.size()) {
    if (std::optional<Expression> expression =
            FindExpression(context, static_cast<std::size_t>(contextStart), m_services.lexical))
      return ComposeExpression(*expression, std::move(wordBlock), link);
  }

  m_word.BuildLexicalText(temp, out);
  FillHeadings(out, temp, m_word.HeadingForms(), dict);
  std::wstring pronounce = dict.Lookup(DictSource::Pronounce, written);
  std::wstring title = captured;
  if (!pronounce.empty()) title += L"  " + pronounce + L" *";
  if (!morphedWordS.empty()) {
    // The base form's pronunciation replaces the word's, even when it has none.
    pronounce = dict.Lookup(DictSource::Pronounce, morphedWordS);
    title += L" --> " + morphedWordS;
    if (!pronounce.empty()) title += L" " + pronounce + L" *";
  }
  if (!pronounce.empty()) out += L"\n* " + m_services.captions.GetText(kPronounceHelpKey);
  return {std::move(title), wordBlock + out + link};
}

LookupResult CLookup::ComposeExpression(const Expression& expression, std::wstring wordBlock,
                                        const std::wstring& link) {
  IDictionary& dict = m_services.dictionary;
  const std::wstring lemma = platform::AnsiToWide(expression.lemma);
  std::wstring title = expression.written;
  if (!EqualIgnoringCase(expression.written, lemma)) title += L" --> " + lemma;
  std::wstring body;
  if (std::wstring title = dict.Lookup(DictSource::Translation, lemma); !title.empty())
    body = TranslationBlock(lemma, title);
  std::wstring senses;
  m_word.BuildLexicalText(lemma, senses);
  FillHeadings(senses, lemma, m_word.HeadingForms(), dict);
  body += senses;
  // The pointed word's own French closes it, one blank line below.
  while (body.ends_with(L'\n')) body.pop_back();
  while (wordBlock.ends_with(L'\n')) wordBlock.pop_back();
  if (!wordBlock.empty()) body += L"\n\n" + wordBlock;
  return {std::move(title), body + link};
}

}  // namespace qv
