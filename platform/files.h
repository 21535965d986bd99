// File-name seam. Paths inside QV are Windows paths built by appending names with backslashes
// to directories read from the registry, as 8-bit text in the system code page (Windows-1252
// on the Linux build) or as wide text. On Linux the backslashes become slashes, and the names
// become the file system's UTF-8.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace qv::platform {

// An 8-bit path in the system code page, as the narrow C runtime takes it.
inline std::string NativePath(std::string_view path) {
#ifdef _WIN32
  return std::string(path);
#else
  std::string out = WideToUtf8(AnsiToWide(path));
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
#endif
}

// A wide path as the standard library's file functions take it, whatever the C locale.
inline std::filesystem::path FsPath(std::wstring_view path) {
#ifdef _WIN32
  return std::filesystem::path(path);
#else
  std::string out = WideToUtf8(path);
  for (char& c : out)
    if (c == '\\') c = '/';
  return std::filesystem::path(out);
#endif
}

}  // namespace qv::platform
