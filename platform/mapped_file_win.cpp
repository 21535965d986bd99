#include <windows.h>

#include "platform/files.h"
#include "platform/mapped_file.h"

namespace qv::platform {

void MappedFile::Unmap(const void* data, [[maybe_unused]] std::size_t size) {
  UnmapViewOfFile(data);
}

MappedFile MappedFile::Open(std::string_view path) {
  MappedFile file;
  // Others may read the file meanwhile, as the C runtime lets them; the view outlives both
  // handles, which are closed at once.
  HANDLE handle = CreateFileA(NativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return file;
  LARGE_INTEGER size;
  if (GetFileSizeEx(handle, &size) && size.QuadPart >= 0 &&
      static_cast<unsigned long long>(size.QuadPart) <= SIZE_MAX) {
    if (size.QuadPart == 0) {
      file.m_open = true;
    } else if (HANDLE mapping = CreateFileMappingW(handle, nullptr, PAGE_READONLY, 0, 0, nullptr)) {
      if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {
        file.m_data = view;
        file.m_size = static_cast<std::size_t>(size.QuadPart);
        file.m_open = true;
      }
      CloseHandle(mapping);
    }
  }
  CloseHandle(handle);
  return file;
}

}  // namespace qv::platform
