#include "core/dictstore.h"

#include <cstdint>
#include <optional>
#include <string>

#include "core/datacache.h"
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

std::wstring CDictSource::Lookup(std::wstring word) const {
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

std::wstring FindKeyInFile(TextFile stream, std::wstring_view key) {
  std::wstring sValue;
  // Lines are handled as C strings: a null character ends a line's text, so a key holding one
  // never matches, and a line matches only when no null comes before the key's "=" (which the
  // comparison itself ensures).
  if (!key.empty() && key.find(L'\0') == std::wstring_view::npos) {
    // Lines whose bytes do not begin with the key's bytes and "=" are passed undecoded; the
    // rest are decoded and compared below, so the result does not depend on the pass.
    std::string prefix = EncodeKeyPrefix(key, stream.Encoding());
    std::wstring line;
    for (;;) {
      stream.SkipLinesNotStartingWith(prefix, kLineBufferChars - 1);
      if (!stream.ReadLine(line, kLineBufferChars - 1)) break;
      if (std::optional<std::wstring> value = KeyValueOfLine(line, key)) {
        sValue = std::move(*value);
        break;
      }
    }
  }
  stream.Close();
  return sValue;
}

std::optional<std::wstring> KeyValueOfLine(std::wstring_view line, std::wstring_view key) {
  if (line.size() <= key.size() || line[key.size()] != L'=' || line.compare(0, key.size(), key) != 0)
    return std::nullopt;
  std::size_t end = line.find_first_of(std::wstring_view(L"\n\0", 2), key.size());
  if (end == std::wstring_view::npos) end = line.size();
  std::wstring_view text = line.substr(0, end);
  std::size_t start = text.find_first_not_of(L'=', key.size());
  if (start == std::wstring_view::npos) return std::wstring();
  return std::wstring(text.substr(start, text.find(L'=', start) - start));
}

std::wstring FindKeyInText(std::wstring_view text, std::wstring_view word) {
  if (word.empty()) return {};
  std::size_t pos = text.find(word);
  if (pos == std::wstring_view::npos) return {};
  // A line start: the character before is the previous line's line feed (or another control).
  auto atLineStart = [&] { return static_cast<std::uint32_t>(text[pos - 1]) < 20; };
  bool accepted = pos == 0 ? text.find(L'=') == word.size() : atLineStart();
  while (!accepted) {
    pos = text.find(word, pos + 1);
    if (pos == std::wstring_view::npos) return {};
    accepted = atLineStart();
  }
  // The first line that begins with the word decides, even when its key is longer.
  std::size_t eq = text.find(L'=', pos);
  if (eq != pos + word.size()) return {};
  std::size_t nl = text.find(L'\n', pos);
  if (nl == std::wstring_view::npos) return std::wstring(text.substr(eq + 1));
  if (nl < eq) return {};  // the word itself holds a line feed
  return std::wstring(text.substr(eq + 1, nl - eq));
}

}  // namespace qv
