#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/mapped_file.h"

namespace qv::platform {

void MappedFile::Unmap(const void* data, std::size_t size) {
  munmap(const_cast<void*>(data), size);
}

MappedFile MappedFile::Open(std::string_view path) {
  MappedFile file;
  const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return file;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    if (st.st_size == 0) {
      file.m_open = true;
    } else {
      const std::size_t size = static_cast<std::size_t>(st.st_size);
      void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
      if (map != MAP_FAILED) {
        file.m_data = map;
        file.m_size = size;
        file.m_open = true;
      }
    }
  }
  ::close(fd);
  return file;
}

}  // namespace qv::platform
