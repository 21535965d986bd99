#include "platform/profile.h"

namespace qv::platform {

// Placeholder until the reader that follows GetPrivateProfileStringW lands.
std::wstring ReadProfileString(std::wstring_view, std::wstring_view, std::wstring_view def,
                               std::size_t cchBuffer, std::wstring_view) {
  if (cchBuffer == 0) return {};
  return std::wstring(def.substr(0, cchBuffer - 1));
}

}  // namespace qv::platform
