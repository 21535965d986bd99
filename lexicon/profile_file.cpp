#include "lexicon/profile_file.h"

#include <algorithm>

#include "platform/profile.h"

namespace qv {

CProfileFile::CProfileFile(std::wstring_view path) {
  std::size_t n = std::min(path.size(), kPathChars - 1);
  std::copy_n(path.begin(), n, m_szPath.begin());
}

std::wstring CProfileFile::GetString(std::wstring_view section, std::wstring_view key,
                                     std::wstring_view def) const {
  return platform::ReadProfileString(section, key, def, kValueChars, Path());
}

}  // namespace qv
