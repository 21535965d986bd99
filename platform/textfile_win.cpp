#include <cstdio>
#include <string>

#include "platform/textfile.h"

namespace qv::platform::detail {

// The narrow C runtime entry takes the path in the system code page, as QV's paths are.
std::FILE* OpenForReading(std::string_view path) noexcept {
  try {
    return std::fopen(std::string(path).c_str(), "rb");
  } catch (...) {
    return nullptr;
  }
}

}  // namespace qv::platform::detail
