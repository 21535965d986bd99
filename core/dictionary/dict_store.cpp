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
  std::wstring sKey = word.substr(0, 1);
  std::wstring sOut = FindKey(catalog, TextEncoding::Latin1, sKey);
  if (sOut.empty()) sOut = FindKey(catalog, TextEncoding::Latin1, kOtherKey);
  return sOut;
}

std::wstring LookupPronunciation(const std::string& home, const std::wstring& word) {
  std::wstring sName = CatalogEntry(home + kPronounceCatalog, word);
  if (sName.empty()) return {};
  std::string path = home + "dict\\" + platform::WideToAnsi(sName);
  return FindKey(path, TextEncoding::Utf8, word);
}

std::wstring LookupTranslation(const std::string& home, const std::wstring& word) {
  std::string catalog = home + kDictCatalog;
  std::wstring sBlock = CatalogEntry(catalog, word);
  std::wstring sLabel = FindKey(catalog, TextEncoding::Latin1, kLanguageKey);
  if (sBlock.empty()) return {};
  std::wstring sTranslation = SharedDataCache().FindInBlock(sBlock, word);
  if (sTranslation.empty() || sLabel.empty()) return sTranslation;
  return sLabel + L" : " + sTranslation;
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
