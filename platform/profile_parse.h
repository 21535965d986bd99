// A reader of profile (INI) text that follows the rules of the Windows profile interface
// (GetPrivateProfileStringW), used by the Linux build in its place. Portable: the Windows test
// build compiles it too, to compare it with the system's reader on the same files.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qv::platform {

// fileBytes is the whole file as stored (nullopt when the file cannot be read). The encoding
// is taken from a byte-order mark (UTF-8, UTF-16LE, UTF-16BE); without one the text is in the
// ANSI code page. Returns what GetPrivateProfileStringW would leave in a buffer of cchBuffer
// characters.
std::wstring ProfileStringFromBytes(const std::optional<std::string>& fileBytes,
                                    std::wstring_view section, std::wstring_view key,
                                    std::wstring_view def, std::size_t cchBuffer);

}  // namespace qv::platform
