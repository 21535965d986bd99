// File-name seam. Paths inside QV are Windows paths built by appending names with backslashes
// to directories read from the registry, as 8-bit text in the system code page (Windows-1252
// on the Linux build) or as wide text. On Linux the backslashes become slashes, and the names
// become the file system's UTF-8.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qv::platform {

// An 8-bit path in the system code page, as the narrow C runtime takes it.
std::string NativePath(std::string_view path);

// A wide path with the separators of the system it runs on, for showing or for a reader that
// takes it as it is.
std::wstring WithNativeSeparators(std::wstring path);

// A wide path as the standard library's file functions take it, whatever the C locale.
std::filesystem::path FsPath(std::wstring_view path);

}  // namespace qv::platform
