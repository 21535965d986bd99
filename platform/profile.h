// Profile-file seam: GetPrivateProfileStringW on Windows, a reader that follows its rules on
// Linux. Returns the value of key in section of the file at path, cut to cchBuffer - 1
// characters, or def (cut the same way) when the file, the section or the key is missing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv::platform {

std::wstring ReadProfileString(std::wstring_view section, std::wstring_view key,
                               std::wstring_view def, std::size_t cchBuffer,
                               std::wstring_view path);

}  // namespace qv::platform
