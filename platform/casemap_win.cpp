#include <windows.h>

#include "platform/casemap.h"

namespace qv::platform {

void LowerInPlace(std::wstring& text) {
  if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
}

}  // namespace qv::platform
