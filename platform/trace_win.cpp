#include <windows.h>

#include "platform/trace.h"
#include "platform/trace_common.h"

namespace qv::platform {

void TraceFailure(std::wstring_view doing) noexcept {
  try {
    OutputDebugStringW(detail::TraceLine(doing).c_str());
  } catch (...) {
    OutputDebugStringW(L"QV: a failure could not be traced (out of memory)\n");
  }
}

}  // namespace qv::platform
