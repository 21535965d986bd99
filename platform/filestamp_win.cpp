#include <windows.h>

#include <string>

#include "platform/filestamp.h"
#include "platform/trace.h"

namespace qv::platform {

FileStamp StampOf(std::string_view path) noexcept {
  try {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(std::string(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      return {};
    const FILETIME& t = data.ftLastWriteTime;
    return {true, (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
            static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                      t.dwLowDateTime)};
  } catch (...) {
    TraceFailure(L"reading a file's size and time");
    return {};
  }
}

}  // namespace qv::platform
