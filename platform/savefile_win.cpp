#include <windows.h>

#include <algorithm>

#include "platform/kernel_win.h"
#include "platform/savefile.h"
#include "platform/trace.h"

namespace qv::platform {

bool SaveFileReplacing(const std::filesystem::path& target, std::string_view bytes) noexcept {
  try {
    const std::wstring temp = target.wstring() + L".tmp";
    // INVALID_HANDLE_VALUE is this call's failure, not the owner's empty value.
    HANDLE created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) return false;
    UniqueKernelHandle h(created);
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
      DWORD n = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
      ok = WriteFile(h.get(), bytes.data() + done, want, &n, nullptr) && n > 0;
      done += n;
    }
    // Closed here, not by the owner: a failed close leaves the target as it was.
    ok = CloseHandle(h.release()) && ok;
    ok = ok && MoveFileExW(temp.c_str(), target.wstring().c_str(),
                           MOVEFILE_REPLACE_EXISTING);
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
  } catch (...) {
    TraceFailure(L"saving a file");
    return false;
  }
}

}  // namespace qv::platform
