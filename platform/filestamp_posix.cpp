#include <sys/stat.h>

#include "platform/filestamp.h"
#include "platform/trace.h"
#include "platform/files.h"

namespace qv::platform {

FileStamp StampOf(std::string_view path) noexcept {
  try {
    struct stat st;
    if (::stat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return {true, static_cast<std::uint64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
  } catch (...) {
    TraceFailure(L"reading a file's size and time");
    return {};
  }
}

}  // namespace qv::platform
