#include <sys/mman.h>
#include <sys/stat.h>

#include <cstdlib>

#include "platform/c_runtime.h"

namespace qv::platform {

void SetEnvironmentValue(const char* name, const std::string& value) {
  setenv(name, value.c_str(), 1);
}

void ReopenBinary(std::FILE*&, std::string_view) {}

std::string_view MapForReading(std::FILE*& fp) {
  struct stat st;
  if (!fp || fstat(fileno(fp), &st) != 0 || st.st_size <= 0) return {};
  const std::size_t size = static_cast<std::size_t>(st.st_size);
  void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fileno(fp), 0);
  if (map == MAP_FAILED) return {};
  std::FILE* mem = fmemopen(map, size, "r");
  if (!mem) {
    munmap(map, size);
    return {};
  }
  std::fclose(fp);
  fp = mem;
  return std::string_view(static_cast<const char*>(map), size);
}

}  // namespace qv::platform
