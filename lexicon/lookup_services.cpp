#include "lexicon/lookup_services.h"

#include "lexicon/dictstore.h"
#include "lexicon/search_sdk/search.h"

namespace qv {

std::wstring CStoreDictionary::Lookup(Source source, const std::wstring& word) {
  return CDictSource(static_cast<DictSource>(source)).Lookup(word);
}

std::optional<std::string> CWordNetAnalysis::DescribeWord(std::string word) {
  return lexical::DescribeWord(word, 5, true, &m_HeadingForms);
}

std::optional<std::string> CWordNetAnalysis::BaseForm(std::string word) {
  return lexical::BaseForm(word);
}

}  // namespace qv
