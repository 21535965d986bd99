// File-name seam. Paths inside QV are Windows paths built by appending names with backslashes
// to directories read from the registry; on Linux the backslashes become slashes.
#pragma once

#include <string>
#include <string_view>

namespace qv::platform {

inline std::string NativePath(std::string_view path) {
  std::string out(path);
#ifndef _WIN32
  for (char& c : out)
    if (c == '\\') c = '/';
#endif
  return out;
}

}  // namespace qv::platform
