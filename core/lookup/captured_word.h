// From the text captured under the pointer to the lookup word and the lexical block of the
// popup: trimming, the 8-bit conversion the lexical analysis needs, and its localised summary.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/lookup/expression.h"
#include "core/lexical/search.h"
#include "core/lookup/real_text.h"

namespace qv {


// What the lexical block asks of the English lexical analysis (8-bit text in the ANSI code
// page; the words of an expression separated by spaces). nullopt from DescribeWord means no
// text was obtained. The expression finder's questions answer "nothing" unless overridden.
class ILexicalAnalysis : public IPhraseLexicon {
 public:
  virtual ~ILexicalAnalysis() = default;
  std::string PhraseLemma(const std::string&, WordClass) override { return {}; }
  int TaggedCount(const std::string&) override { return 0; }
  bool TakesObject(const std::string&) override { return true; }
  // True when the analysis knows the word, as written or inflected.
  virtual bool Knows(const std::string&) { return false; }
  virtual std::optional<std::string> DescribeWord(std::string word) = 0;
  virtual std::optional<std::string> BaseForm(std::string word) = 0;
  // The form whose senses each part-of-speech heading of the last DescribeWord introduces, in
  // the order of the headings; empty when not known, and then every heading is the word's own.
  virtual std::vector<std::string> HeadingForms() { return {}; }
  // What the last DescribeWord's text is; the analysis's own English texts for a blank word and
  // a missing database are shown as localised captions.
  virtual lexical::Answer LastAnswer() { return lexical::Answer::Description; }
};

// Localised captions of section "Main" of the text bundle; a missing key gives "".
class ICaptions {
 public:
  virtual ~ICaptions() = default;
  virtual std::wstring GetText(std::wstring_view key) = 0;
};

// Text bundle keys.
inline constexpr wchar_t kNoWordCaption[] = L"No word has been captured move mouse and try again";
inline constexpr wchar_t kNoDatabaseCaption[] = L"WordNet database not found";

class CCapturedWord {
 public:
  CCapturedWord(ILexicalAnalysis& lexical, ICaptions& captions)
      : m_lexical(lexical), m_captions(captions) {}

  // Every character up to U+00FF becomes the byte of the same value, as the C runtime's
  // conversion under the "C" locale does; any character above fails the whole conversion,
  // gives "" and a nonzero ConversionStatus. The text ends at its first null character.
  std::string ToNarrowWord(std::wstring word);

  // Sets out to the lexical summary of the captured text's word (WordOfToken), with the no-word and
  // no-database messages replaced by their localised captions and every double quote removed. out is left as it is
  // when the word cannot be converted to 8-bit text or no summary is obtained.
  void BuildLexicalText(const std::wstring& captured, std::wstring& out);

  // Error code of the last ToNarrowWord; 0 after a successful conversion.
  int ConversionStatus = 0;

  // After BuildLexicalText: per heading of the summary, in order, the base form whose senses it
  // introduces, or "" when they are the captured word's own.
  const std::vector<std::wstring>& HeadingForms() const { return m_headingForms; }

 private:
  ILexicalAnalysis& m_lexical;
  ICaptions& m_captions;
  std::vector<std::wstring> m_headingForms;
};

}  // namespace qv
