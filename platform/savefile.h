// Saving seam: a file written whole or not at all. The bytes go to a temporary file of a name of
// its own beside the target (created anew, so never a file a user or another writer has there),
// are forced to the disk, and the file then takes the target's place in one step (a rename over
// it, itself written through), so that neither a crash, a full disk nor a power cut leaves half
// a file or an empty one behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace qv::platform {

// False when any step fails; the target is then as it was and no temporary file stays.
bool SaveFileReplacing(const std::filesystem::path& target, std::string_view bytes) noexcept;

// A lock that processes take in turn around a read-modify-write of a file: an exclusive hold on
// a lock file of its own, created when missing and left in place. Threads of one process
// exclude each other too, each lock being its own hold.
class FileLock {
 public:
  // Waits up to timeoutMs for the hold; unlocked when the lock file cannot be opened (its
  // folder is missing or read-only) or the wait runs out.
  FileLock(const std::filesystem::path& lockFile, unsigned timeoutMs) noexcept;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  explicit operator bool() const noexcept { return m_handle != kNone; }

 private:
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t m_handle = kNone;  // a file descriptor or a HANDLE
};

}  // namespace qv::platform
