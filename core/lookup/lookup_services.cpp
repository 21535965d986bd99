#include "core/lookup/lookup_services.h"

#include <algorithm>

#include "core/dictionary/dict_store.h"
#include "core/dictionary/data_cache.h"
#include "core/lookup/lookup_config.h"
#include "core/dictionary/profile_file.h"
#include "core/lexical/phrases.h"
#include "core/lexical/search.h"
#include "core/lexical/wnutil.h"

namespace qv {

std::wstring CStoreDictionary::Lookup(DictSource source, const std::wstring& word) {
  return CDictStore(source).Lookup(word);
}

std::uint64_t LookupDataGeneration() {
  if (!lexical::OpenDatabase()) return CComposeCache::kUncacheable;
  // Each part grows on its own; their sum moves whenever one does.
  return LookupConfigGeneration() + SharedDataCache().Refresh() + RefreshKeptProfiles();
}

void WarmUpLookupData(const LookupConfig& config) {
  // The part-of-speech lists and the catalogs, read and indexed (a file is indexed after a few
  // look-ups, a block at its second). The pronunciation files and translation blocks, one per
  // first letter, are left to the words that need them: all of them would take megabytes that
  // most sessions never use.
  for (int pass = 0; pass < 4; ++pass)
    for (DictSource source : {DictSource::Verb, DictSource::Noun, DictSource::Adj, DictSource::Adv,
                              DictSource::Pronounce, DictSource::Translation})
      CDictStore(source, config).Lookup(L"the");
  if (!lexical::OpenDatabase(config.WordNetDir())) return;
  lexical::WarmUpPhrases(config.WordNetDir());
  for (const char* word : {"running", "houses", "quickly", "better"}) {
    std::string text = word;
    lexical::DescribeWord(text);
    text = word;
    lexical::BaseForm(text);
  }
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
  std::string text = lexical::DescribeWord(word, 5, true, &m_headingForms, &m_lastAnswer);
  for (std::string& form : m_headingForms) form = Spaced(std::move(form));
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
