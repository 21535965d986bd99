#include "core/dictionary/text_bundle.h"

#include "core/settings.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace qv {

CTextBundle::CTextBundle(std::wstring_view section) : m_section(section) {
  SetBundle(ReadInstallDir(), ReadLanguageCode());
}

CTextBundle::CTextBundle(std::wstring_view section, const LookupConfig& config) : m_section(section) {
  SetBundle(config.installDir, config.language);
}

void CTextBundle::SetBundle(const std::optional<std::wstring>& installDir,
                           const std::optional<std::string>& language) {
  // A missing Target leaves the bare file name.
  std::wstring dir = installDir.value_or(L"");
  std::wstring path = platform::WithNativeSeparators(
      dir + kBundlePrefix + platform::AnsiToWide(language.value_or("")));
  if (path.size() < CProfileFile::kPathChars) m_bundle.emplace(path);
}

std::wstring_view CTextBundle::BundlePath() const {
  return m_bundle ? m_bundle->Path() : std::wstring_view();
}

std::wstring CTextBundle::GetText(std::wstring_view key) const {
  if (!m_bundle) return {};
  return m_bundle->GetString(m_section, key, L"");
}

}  // namespace qv
