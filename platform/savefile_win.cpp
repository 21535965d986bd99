#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "platform/kernel_win.h"
#include "platform/savefile.h"
#include "platform/trace.h"

namespace qv::platform {
namespace {

std::atomic<unsigned> g_tempCount{0};

}  // namespace

bool SaveFileReplacing(const std::filesystem::path& target, std::string_view bytes) noexcept {
  try {
    std::wstring temp;
    // INVALID_HANDLE_VALUE is this call's failure, not the owner's empty value.
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; created == INVALID_HANDLE_VALUE && attempt < 16; ++attempt) {
      temp = target.wstring() + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(g_tempCount++) + L".tmp";
      created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
      if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
          GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    }
    if (created == INVALID_HANDLE_VALUE) return false;
    UniqueKernelHandle h(created);
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
      DWORD n = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
      ok = WriteFile(h.get(), bytes.data() + done, want, &n, nullptr) && n > 0;
      done += n;
    }
    ok = ok && FlushFileBuffers(h.get());
    // Closed here, not by the owner: a failed close leaves the target as it was.
    ok = CloseHandle(h.release()) && ok;
    ok = ok && MoveFileExW(temp.c_str(), target.wstring().c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
  } catch (...) {
    TraceFailure(L"saving a file");
    return false;
  }
}

FileLock::FileLock(const std::filesystem::path& lockFile, unsigned timeoutMs) noexcept {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    // No sharing: a second open fails until this one is closed.
    HANDLE h = CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      m_handle = reinterpret_cast<std::intptr_t>(h);
      return;
    }
    const DWORD error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
        GetTickCount64() >= end)
      return;
    Sleep(5);
  }
}

FileLock::~FileLock() {
  if (m_handle != kNone) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

}  // namespace qv::platform
