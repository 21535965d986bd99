#include "core/dictionary/dict_store.h"

#include <cstdint>
#include <optional>
#include <string>

#include "core/dictionary/data_cache.h"
#include "platform/casemap.h"
#include "platform/codepage.h"
#include "platform/resources.h"
#include "platform/trace.h"
#include "platform/utf8.h"

namespace qv {
namespace {

using platform::TextEncoding;
using platform::TextFile;

constexpr char kPronounceCatalog[] = "dict\\qvprn.catalog";
constexpr char kDictCatalog[] = "dict\\qvdict.catalog";
constexpr wchar_t kOtherKey[] = L"other";
constexpr wchar_t kLanguageKey[] = L"qv_language";

// FindKeyInFile over the file, answered from the data cache.
std::wstring FindKey(const std::string& path, TextEncoding encoding, std::wstring_view key) {
  if (path.size() > kMaxPathBytes) return {};
  return SharedDataCache().FindKey(path, encoding, key);
}

// The catalog's value for the word's first character, else its "other" value.
std::wstring CatalogEntry(const std::string& catalog, const std::wstring& word) {
  std::wstring key = word.substr(0, 1);
  std::wstring out = FindKey(catalog, TextEncoding::Latin1, key);
  if (out.empty()) out = FindKey(catalog, TextEncoding::Latin1, kOtherKey);
  return out;
}

std::wstring LookupPronunciation(const std::string& home, const std::wstring& word) {
  std::wstring name = CatalogEntry(home + kPronounceCatalog, word);
  if (name.empty()) return {};
  std::string path = home + "dict\\" + platform::WideToAnsi(name);
  return FindKey(path, TextEncoding::Utf8, word);
}

std::wstring LookupTranslation(const std::string& home, const std::wstring& word) {
  std::string catalog = home + kDictCatalog;
  std::wstring block = CatalogEntry(catalog, word);
  std::wstring label = FindKey(catalog, TextEncoding::Latin1, kLanguageKey);
  if (block.empty()) return {};
  std::wstring translation = SharedDataCache().FindInBlock(block, word);
  if (translation.empty() || label.empty()) return translation;
  return label + L" : " + translation;
}

}  // namespace

std::wstring CDictStore::Lookup(std::wstring word) const {
  try {
    // No entry has an empty key, and an empty first character would fall through to the
    // catalog's "other" line.
    if (word.empty()) return {};
    const std::optional<std::string>& home = m_home;
    if (!home) return {};
    platform::LowerInPlace(word);
    switch (m_src) {
      case DictSource::Verb:
      case DictSource::Noun:
      case DictSource::Adj:
      case DictSource::Adv:
        return FindKey(*home + kPartOfSpeechFiles[static_cast<int>(m_src)], TextEncoding::Latin1, word);
      case DictSource::Pronounce:
        return LookupPronunciation(*home, word);
      case DictSource::Translation:
        return LookupTranslation(*home, word);
    }
    return {};
  } catch (...) {
    // Out of memory on a pathological file: the look-up finds nothing, the program goes on.
    platform::TraceFailure(L"looking a word up in the dictionary");
    return {};
  }
}

}  // namespace qv
