#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "platform/savefile.h"
#include "platform/trace.h"

namespace qv::platform {

bool SaveFileReplacing(const std::filesystem::path& target, std::string_view bytes) noexcept {
  try {
    const std::string temp = target.string() + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
      ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) ok = false;
      else done += static_cast<std::size_t>(n);
    }
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), target.string().c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
  } catch (...) {
    TraceFailure(L"saving a file");
    return false;
  }
}

}  // namespace qv::platform
