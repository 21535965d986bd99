// File-stamp seam: the size and last write time of a file, which tell one version of it from
// another without opening it, for the data QV reads once and keeps. Paths are 8-bit text in
// the system code page, in Windows form, as the text-file seam takes them.
#pragma once

#include <cstdint>
#include <string_view>

namespace qv::platform {

struct FileStamp {
  bool exists = false;
  std::uint64_t size = 0;
  std::int64_t time = 0;  // last write, in the system's own units
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// A missing path, or one that names a folder, has no stamp (exists false).
FileStamp StampOf(std::string_view path) noexcept;

}  // namespace qv::platform
