#include <windows.h>

#include "platform/errortext.h"
#include "platform/unique_handle.h"

namespace qv::platform {
namespace {
void FreeLocal(wchar_t* p) noexcept { LocalFree(p); }
}  // namespace

std::optional<std::wstring> SystemErrorText(std::uint32_t code) {
  UniqueHandle<wchar_t*, FreeLocal> text;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<wchar_t*>(text.put()), 0, nullptr);
  if (n == 0 || !text) return std::nullopt;
  std::wstring out(text.get(), n);
  while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r')) out.pop_back();
  return out;
}

}  // namespace qv::platform
