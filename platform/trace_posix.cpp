#include <cstdio>
#include <string>

#include "platform/trace.h"
#include "platform/trace_common.h"

namespace qv::platform {

void TraceFailure(std::wstring_view doing) noexcept {
  try {
    // wchar_t holds whole code points here; stderr stays a byte stream for the program's
    // other messages.
    std::string bytes;
    for (wchar_t c : detail::TraceLine(doing)) AppendUtf8(static_cast<char32_t>(c), bytes);
    std::fputs(bytes.c_str(), stderr);
  } catch (...) {
    std::fputs("QV: a failure could not be traced (out of memory)\n", stderr);
  }
}

}  // namespace qv::platform
