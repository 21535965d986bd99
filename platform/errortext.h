// Error-text seam: the system's message text for an error code (HRESULT or Win32 code).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qv::platform {

// The system message table's text for code in the neutral language, without its trailing line
// break; nullopt when the system has none (always on Linux, which has no such table).
std::optional<std::wstring> SystemErrorText(std::uint32_t code);

}  // namespace qv::platform
