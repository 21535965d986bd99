#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/savefile.h"
#include "platform/trace.h"

namespace qv::platform {
namespace {

std::atomic<unsigned> g_tempCount{0};

// Syncs the folder, so that the rename itself reaches the disk.
void SyncFolder(const std::filesystem::path& target) {
  std::filesystem::path dir = target.parent_path();
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool SaveFileReplacing(const std::filesystem::path& target, std::string_view bytes) noexcept {
  try {
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
      temp = target.string() + "." + std::to_string(::getpid()) + "-" +
             std::to_string(g_tempCount++) + ".tmp";
      fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
      ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) ok = false;
      else done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), target.string().c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    if (ok) SyncFolder(target);
    return ok;
  } catch (...) {
    TraceFailure(L"saving a file");
    return false;
  }
}

FileLock::FileLock(const std::filesystem::path& lockFile, unsigned timeoutMs) noexcept {
  const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= end) {
      ::close(fd);
      return;
    }
    ::usleep(5000);
  }
  m_handle = fd;
}

FileLock::~FileLock() {
  if (m_handle != kNone) ::close(static_cast<int>(m_handle));  // the hold goes with it
}

}  // namespace qv::platform
