#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/files.h"
#include "platform/mapped_file.h"

namespace qv::platform {

MappedFile::~MappedFile() { Release(); }

MappedFile::MappedFile(MappedFile&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)),
      m_size(std::exchange(other.m_size, 0)),
      m_open(std::exchange(other.m_open, false)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    Release();
    m_data = std::exchange(other.m_data, nullptr);
    m_size = std::exchange(other.m_size, 0);
    m_open = std::exchange(other.m_open, false);
  }
  return *this;
}

void MappedFile::Release() {
  if (m_data) munmap(const_cast<void*>(m_data), m_size);
  m_data = nullptr;
  m_size = 0;
  m_open = false;
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
