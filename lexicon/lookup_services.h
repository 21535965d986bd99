// The look-up's real dictionary store and lexical analysis, for the programs that run it.
#pragma once

#include "lexicon/lookup.h"

namespace qv {

class CStoreDictionary : public IDictionary {
 public:
  std::wstring Lookup(Source source, const std::wstring& word) override;
};

class CWordNetAnalysis : public ILexicalAnalysis {
 public:
  std::optional<std::string> DescribeWord(std::string word) override;
  std::optional<std::string> BaseForm(std::string word) override;
  std::vector<std::string> HeadingForms() override { return m_HeadingForms; }

 private:
  std::vector<std::string> m_HeadingForms;
};

}  // namespace qv
