#include "core/lookup_services.h"

#include "core/dictstore.h"
#include "core/datacache.h"
#include "core/lookup_config.h"
#include "core/profile_file.h"
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

void WarmUpLookupData(const LookupConfig& config) {
  // The part-of-speech lists and the catalogs, read and indexed (a file is indexed after a few
  // look-ups, a block at its second). The pronunciation files and translation blocks, one per
  // first letter, are left to the words that need them: all of them would take megabytes that
  // most sessions never use.
  for (int pass = 0; pass < 4; ++pass)
    for (DictSource source : {DictSource::Verb, DictSource::Noun, DictSource::Adj, DictSource::Adv,
                              DictSource::Pronounce, DictSource::Translation})
      CDictSource(source, config).Lookup(L"the");
  if (!lexical::OpenDatabase(config.WordNetDir())) return;
  for (const char* word : {"running", "houses", "quickly", "better"}) {
    std::string text = word;
    lexical::DescribeWord(text);
    text = word;
    lexical::BaseForm(text);
  }
}

std::optional<std::string> CWordNetAnalysis::DescribeWord(std::string word) {
  return lexical::DescribeWord(word, 5, true, &m_HeadingForms, &m_LastAnswer);
}

std::optional<std::string> CWordNetAnalysis::BaseForm(std::string word) {
  return lexical::BaseForm(word);
}

}  // namespace qv
