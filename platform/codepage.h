// Code-page seam: 8-bit text in the thread's ANSI code page (Windows-1252 on the systems QV
// targets; always Windows-1252 on the Linux build) to and from UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace qv::platform {

std::wstring AnsiToWide(std::string_view text);
// Characters the code page cannot hold become '?', as the system conversion does by default.
std::string WideToAnsi(std::wstring_view text);

// UTF-8 to and from wide text; invalid sequences become U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

}  // namespace qv::platform
