#include "core/lookup/captured_word.h"

#include <algorithm>
#include <cerrno>

#include "platform/codepage.h"

namespace qv {

std::string CCapturedWord::ToNarrowWord(std::wstring word) {
  word.resize(std::min(word.size(), word.find(L'\0')));
  std::string out;
  out.reserve(word.size());
  for (wchar_t c : word) {
    // On Windows a character outside the BMP arrives as two surrogates, both above U+00FF.
    if (static_cast<std::uint32_t>(c) > 0xFF) {
      ConversionStatus = EILSEQ;
      return {};
    }
    out.push_back(static_cast<char>(c));
  }
  ConversionStatus = 0;
  return out;
}

void CCapturedWord::BuildLexicalText(const std::wstring& captured, std::wstring& out) {
  m_headingForms.clear();
  std::string word = ToNarrowWord(WordOfToken(captured));
  if (ConversionStatus != 0) return;
  std::optional<std::string> sDesc = m_lexical.DescribeWord(word);
  if (!sDesc) return;
  // The analysis trims spaces; a heading of that trimmed word is the captured word's own.
  std::string_view trimmed = word;
  trimmed.remove_prefix(std::min(trimmed.size(), trimmed.find_first_not_of(' ')));
  trimmed = trimmed.substr(0, trimmed.find_last_not_of(' ') + 1);
  for (const std::string& form : m_lexical.HeadingForms())
    m_headingForms.push_back(form == trimmed ? std::wstring() : platform::AnsiToWide(form));
  switch (m_lexical.LastAnswer()) {
    case lexical::Answer::NoWord: out = m_captions.GetText(kNoWordCaption); break;
    case lexical::Answer::NoDatabase: out = m_captions.GetText(kNoDatabaseCaption); break;
    case lexical::Answer::Description: out = platform::AnsiToWide(*sDesc); break;
  }
  std::erase(out, L'"');
}

}  // namespace qv
