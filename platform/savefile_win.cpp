#include <windows.h>

#include <algorithm>

#include "platform/savefile.h"

namespace qv::platform {

bool SaveFileReplacing(const std::filesystem::path& target, std::string_view bytes) noexcept {
  try {
    const std::wstring temp = target.wstring() + L".tmp";
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
      DWORD n = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
      ok = WriteFile(h, bytes.data() + done, want, &n, nullptr) && n > 0;
      done += n;
    }
    ok = CloseHandle(h) && ok;
    ok = ok && MoveFileExW(temp.c_str(), target.wstring().c_str(),
                           MOVEFILE_REPLACE_EXISTING);
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
  } catch (...) {
    return false;
  }
}

}  // namespace qv::platform
