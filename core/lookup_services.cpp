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

std::optional<std::string> CWordNetAnalysis::DescribeWord(std::string word) {
  return lexical::DescribeWord(word, 5, true, &m_HeadingForms, &m_LastAnswer);
}

std::optional<std::string> CWordNetAnalysis::BaseForm(std::string word) {
  return lexical::BaseForm(word);
}

}  // namespace qv
