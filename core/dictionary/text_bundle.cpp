#include "core/dictionary/text_bundle.h"

#include "core/settings.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace qv {

CTextBundle::CTextBundle(std::wstring_view section) : m_strSection(section) {
  SetBundle(ReadInstallDir(), ReadLanguageCode());
}

CTextBundle::CTextBundle(std::wstring_view section, const LookupConfig& config) : m_strSection(section) {
  SetBundle(config.installDir, config.language);
}

void CTextBundle::SetBundle(const std::optional<std::wstring>& installDir,
                           const std::optional<std::string>& language) {
  // A missing Target leaves the bare file name.
  std::wstring strDir = installDir.value_or(L"");
  std::wstring strPath = platform::WithNativeSeparators(
      strDir + kBundlePrefix + platform::AnsiToWide(language.value_or("")));
  if (strPath.size() < CProfileFile::kPathChars) m_Bundle.emplace(strPath);
}

std::wstring_view CTextBundle::BundlePath() const {
  return m_Bundle ? m_Bundle->Path() : std::wstring_view();
}

std::wstring CTextBundle::GetText(std::wstring_view key) const {
  if (!m_Bundle) return {};
  return m_Bundle->GetString(m_strSection, key, L"");
}

}  // namespace qv
