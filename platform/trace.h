// Trace seam: one line about a failure that the program handled and went on from, so that an
// error caught and swallowed can still be seen: through OutputDebugStringW on Windows (a
// debugger or DebugView shows it), on the standard error elsewhere.
#pragma once

#include <string_view>

namespace qv::platform {

// "QV: <doing> failed", followed by the exception's text when called inside a catch block whose
// exception is a std::exception. `doing` says what was being done ("reading the history").
void TraceFailure(std::wstring_view doing) noexcept;

}  // namespace qv::platform
