#include <windows.h>

#include <vector>

#include "platform/profile.h"

namespace qv::platform {

std::wstring ReadProfileString(std::wstring_view section, std::wstring_view key,
                               std::wstring_view def, std::size_t cchBuffer,
                               std::wstring_view path) {
  if (cchBuffer == 0) return {};
  std::wstring sSection(section), sKey(key), sDef(def), sPath(path);
  std::vector<wchar_t> buf(cchBuffer, L'\0');
  GetPrivateProfileStringW(sSection.c_str(), sKey.c_str(), sDef.c_str(), buf.data(),
                           static_cast<DWORD>(cchBuffer), sPath.c_str());
  return std::wstring(buf.data());
}

}  // namespace qv::platform
