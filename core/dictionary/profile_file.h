// Read-only access to one profile (INI) file, as the Windows profile interface reads it. The
// values read are kept until the file changes on disk (its size or time, compared at most once a
// second), so that a text shown again costs no file read.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

// Compares the kept profile files whose check is due with the disk and forgets the changed
// ones; the number returned grows with each one forgotten.
std::uint64_t RefreshKeptProfiles();

class CProfileFile {
 public:
  static constexpr std::size_t kPathChars = 255;
  static constexpr std::size_t kValueChars = 255;  // 254 characters and the terminator

  explicit CProfileFile(std::wstring_view path);

  // The stored value, or def when the file, the section or the key is absent; at most 254
  // characters either way.
  std::wstring GetString(std::wstring_view section, std::wstring_view key,
                         std::wstring_view def) const;

  std::wstring_view Path() const { return m_path.data(); }

 private:
  std::array<wchar_t, kPathChars> m_path{};  // zero-filled; a longer path is cut to 254
};

}  // namespace qv
