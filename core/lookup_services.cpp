#include "core/lookup_services.h"

#include <algorithm>

#include "core/dictstore.h"
#include "core/datacache.h"
#include "core/lookup_config.h"
#include "core/profile_file.h"
#include "core/lexical/phrases.h"
#include "core/lexical/search.h"
#include "core/lexical/wnutil.h"

namespace qv {

std::wstring CStoreDictionary::Lookup(DictSource source, const std::wstring& word) {
  return CDictSource(source).Lookup(word);
}

std::uint64_t LookupDataGeneration() {
  if (!lexical::OpenDatabase()) return CComposeCache::kUncacheable;
  // Each part grows on its own; their sum moves whenever one does.
  return LookupConfigGeneration() + SharedDataCache().Refresh() + RefreshKeptProfiles();
}

namespace {

// WordNet spells the words of an expression with underscores, which are never shown.
std::string Underscored(std::string s) {
  std::size_t first = s.find_first_not_of(' '), last = s.find_last_not_of(' ');
  if (first != std::string::npos)
    std::replace(s.begin() + static_cast<std::ptrdiff_t>(first),
                 s.begin() + static_cast<std::ptrdiff_t>(last), ' ', '_');
  return s;
}

std::string Spaced(std::string s) {
  std::replace(s.begin(), s.end(), '_', ' ');
  return s;
}

}  // namespace

std::optional<std::string> CWordNetAnalysis::DescribeWord(std::string word) {
  word = Underscored(std::move(word));
  std::string text = lexical::DescribeWord(word, 5, true, &m_HeadingForms, &m_LastAnswer);
  for (std::string& form : m_HeadingForms) form = Spaced(std::move(form));
  return Spaced(std::move(text));
}

std::optional<std::string> CWordNetAnalysis::BaseForm(std::string word) {
  word = Underscored(std::move(word));
  std::optional<std::string> base = lexical::BaseForm(word);
  if (base) *base = Spaced(std::move(*base));
  return base;
}

bool CWordNetAnalysis::Knows(const std::string& word) { return lexical::IsKnown(word); }

std::string CWordNetAnalysis::PhraseLemma(const std::string& phrase, WordClass wordClass) {
  return lexical::PhraseLemma(phrase, static_cast<int>(wordClass));
}

int CWordNetAnalysis::TaggedCount(const std::string& lemma) { return lexical::TaggedCount(lemma); }

bool CWordNetAnalysis::TakesObject(const std::string& verbLemma) {
  return lexical::TakesObject(verbLemma);
}

}  // namespace qv
