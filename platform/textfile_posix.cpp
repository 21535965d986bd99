#include "platform/files.h"
#include "platform/textfile.h"

namespace qv::platform::detail {

std::FILE* OpenForReading(std::string_view path) noexcept {
  try {
    return std::fopen(NativePath(path).c_str(), "rb");
  } catch (...) {
    return nullptr;
  }
}

}  // namespace qv::platform::detail
