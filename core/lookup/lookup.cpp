#include "core/lookup/lookup.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <map>
#include <vector>

#include "core/lookup/real_text.h"
#include "core/dictionary/text_bundle.h"
#include "platform/codepage.h"
#include "platform/errortext.h"

namespace qv {
namespace {

bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
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

std::optional<LookupResult> CLookup::LookupUnderCursor() {
  ITextCapture& capture = m_services.capture;
  if (!capture.CreateRequest()) {
    m_services.messages.Show(kCantCreateCapture, L"Error", IMessageBox::Kind::Error);
    return std::nullopt;  // a popup already on screen stays
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
    if (const LookupResult* kept = m_cache->Find(key)) {
      m_services.popup.Show(kept->Title(), kept->Body());
      return *kept;
    }
  }
  LookupResult result = Compose(std::move(captured), context, contextStart);
  if (m_cache) m_cache->Add(key, result);
  m_services.popup.Show(result.Title(), result.Body());
  return result;
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

LookupResult CLookup::Compose(std::wstring captured, std::wstring_view context,
                             long contextStart) {
  IDictionary& dict = m_services.dictionary;
  LookupResult result;
  result.link = m_services.captions.GetText(kDisableKey);
  if (captured.empty()) {
    m_word.BuildLexicalText(captured, result.senses.lead);
    return result;
  }
  result.captured = std::move(captured);
  result.word = TrimDelimiters(result.captured);
  const std::wstring written = WordOfToken(result.captured);
  const std::wstring spelling = SpellingWithEntry(written);

  std::string narrow = m_word.ToNarrowWord(spelling);
  if (m_word.ConversionStatus == 0) {
    if (std::optional<std::string> base = m_services.lexical.BaseForm(std::move(narrow)))
      result.base = platform::AnsiToWide(*base);
  }
  // A possessive or another spelling shows the word it was looked up as.
  if (result.base.empty() && spelling != written) result.base = spelling;
  // The word's own French: its line, else its base form's.
  result.translation = TranslationOf(spelling);
  if (!result.translation && !result.base.empty()) result.translation = TranslationOf(result.base);

  if (contextStart >= 0 && static_cast<std::size_t>(contextStart) < context.size()) {
    if (std::optional<Expression> expression =
            FindExpression(context, static_cast<std::size_t>(contextStart), m_services.lexical)) {
      // The expression's French and senses come first; the word's own French closes the body.
      ExpressionBlock& block = result.expression.emplace();
      block.written = expression->written;
      block.lemma = platform::AnsiToWide(expression->lemma);
      result.base = EqualIgnoringCase(block.written, block.lemma) ? L"" : block.lemma;
      block.translation = TranslationOf(block.lemma);
      block.senses = SensesOf(block.lemma);
      if (block.translation) result.french = MainFrenchOf(block.translation->line);
      return result;
    }
  }

  result.senses = SensesOf(spelling);
  if (result.translation) result.french = MainFrenchOf(result.translation->line);
  result.pronunciation = dict.Lookup(DictSource::Pronounce, written);
  if (!result.base.empty())
    result.basePronunciation = dict.Lookup(DictSource::Pronounce, result.base);
  if (result.HasPronunciationNote())
    result.pronunciationNote = m_services.captions.GetText(kPronounceHelpKey);
  return result;
}

std::optional<TranslationLine> CLookup::TranslationOf(const std::wstring& word) {
  std::wstring line = m_services.dictionary.Lookup(DictSource::Translation, word);
  if (line.empty()) return std::nullopt;
  return TranslationLine{word, std::move(line)};
}

// Each part-of-speech heading gets the French of the form whose senses it introduces: the
// looked-up word's own line, or for a block of one of its base forms ("see" under "saw") that
// base form's line. Headings without a known form are the word's own.
Senses CLookup::SensesOf(const std::wstring& word) {
  std::wstring text;
  m_word.BuildLexicalText(word, text);
  Senses senses = SplitSenses(text);
  const std::vector<std::wstring>& forms = m_word.HeadingForms();
  std::map<std::pair<DictSource, std::wstring>, std::wstring> looked;  // each line read once
  for (std::size_t i = 0; i < senses.blocks.size(); ++i) {
    PartOfSpeechBlock& block = senses.blocks[i];
    block.form = i < forms.size() && !forms[i].empty() ? forms[i] : word;
    auto [it, fresh] = looked.try_emplace({block.part, block.form});
    if (fresh) it->second = m_services.dictionary.Lookup(block.part, block.form);
    block.french = it->second;
  }
  return senses;
}

}  // namespace qv
