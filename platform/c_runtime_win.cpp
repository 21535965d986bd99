#include <stdlib.h>

#include "platform/c_runtime.h"
#include "platform/files.h"

namespace qv::platform {

void SetEnvironmentValue(const char* name, const std::string& value) {
  _putenv_s(name, value.c_str());
}

void ReopenBinary(std::FILE*& fp, std::string_view path) {
  if (!fp) return;
  if (std::FILE* binary = std::fopen(NativePath(path).c_str(), "rb")) {
    std::fclose(fp);
    fp = binary;
  }
}

// The runtime has no fmemopen: the files are read through their buffers.
std::string_view MapForReading(std::FILE*&) { return {}; }

}  // namespace qv::platform
