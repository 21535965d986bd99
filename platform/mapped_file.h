// Read-only file views: a file's bytes mapped into memory, shared with the system's file cache
// rather than copied into the process's private memory. The view holds no file handle once it
// is made; on Windows the file cannot be replaced while a view of it lives.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace qv::platform {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile() { Release(); }
  MappedFile(MappedFile&& other) noexcept
      : m_data(std::exchange(other.m_data, nullptr)),
        m_size(std::exchange(other.m_size, 0)),
        m_open(std::exchange(other.m_open, false)) {}
  MappedFile& operator=(MappedFile&& other) noexcept {
    if (this != &other) {
      Release();
      m_data = std::exchange(other.m_data, nullptr);
      m_size = std::exchange(other.m_size, 0);
      m_open = std::exchange(other.m_open, false);
    }
    return *this;
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // The file at `path` (8-bit, Windows form); a file that cannot be opened or mapped gives a
  // view that is not open. An empty file gives an open, empty view.
  static MappedFile Open(std::string_view path);

  bool IsOpen() const { return m_open; }
  std::string_view Bytes() const { return {static_cast<const char*>(m_data), m_size}; }

 private:
  void Release() {
    if (m_data) Unmap(m_data, m_size);
    m_data = nullptr;
    m_size = 0;
    m_open = false;
  }
  // The system's part: gives a view back.
  static void Unmap(const void* data, std::size_t size);
  const void* m_data = nullptr;
  std::size_t m_size = 0;
  bool m_open = false;
};

}  // namespace qv::platform
