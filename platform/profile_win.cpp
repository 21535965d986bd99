#include <windows.h>

#include <vector>

#include "platform/profile.h"

namespace qv::platform {

std::wstring ReadProfileString(std::wstring_view section, std::wstring_view key,
                               std::wstring_view def, std::size_t cchBuffer,
                               std::wstring_view path) {
  if (cchBuffer == 0) return {};
  std::wstring sectionString(section), keyString(key), defaultString(def), pathString(path);
  std::vector<wchar_t> buf(cchBuffer, L'\0');
  GetPrivateProfileStringW(sectionString.c_str(), keyString.c_str(), defaultString.c_str(), buf.data(),
                           static_cast<DWORD>(cchBuffer), pathString.c_str());
  return std::wstring(buf.data());
}

}  // namespace qv::platform
