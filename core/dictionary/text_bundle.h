// The interface text bundle: every text the user sees is written in English in the program and
// translated, at the moment it is shown, by looking the English text up as a key in the bundle
// file <Target>qv_rb.<QVLang>.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/lookup/lookup_config.h"
#include "core/dictionary/profile_file.h"

namespace qv {

inline constexpr wchar_t kBundlePrefix[] = L"qv_rb.";
inline constexpr wchar_t kMainSection[] = L"Main";
inline constexpr wchar_t kAboutSection[] = L"About";

// One object per use. The bundle's path comes from the registry, read when the object is
// constructed, or from the look-up configuration given (the look-up's captions); the texts
// read are kept by the profile reader until the file changes.
class CTextBundle {
 public:
  explicit CTextBundle(std::wstring_view section);
  CTextBundle(std::wstring_view section, const LookupConfig& config);

  // The translation of key in this object's section, at most 254 characters; empty when the
  // file, the section or the key is missing, or when the bundle path did not fit.
  std::wstring GetText(std::wstring_view key) const;

  // Empty when the bundle path does not fit the profile reader's 254 characters: a cut path
  // could name another file, so such a bundle is treated as missing.
  std::wstring_view BundlePath() const;

 private:
  void SetBundle(const std::optional<std::wstring>& installDir, const std::optional<std::string>& language);

  std::wstring m_section;
  std::optional<CProfileFile> m_bundle;
};

}  // namespace qv
