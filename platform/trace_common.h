// The line that both trace seams write.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "platform/utf8.h"

namespace qv::platform::detail {

inline std::wstring TraceLine(std::wstring_view doing) {
  std::wstring line = L"QV: ";
  line += doing;
  line += L" failed";
  if (auto current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (const std::exception& e) {
      std::wstring text;
      DecodeUtf8(e.what(), text);
      line += L": ";
      line += text;
    } catch (...) {
      // Not a std::exception: it has no text to add to the line.
    }
  }
  line += L'\n';
  return line;
}

}  // namespace qv::platform::detail
