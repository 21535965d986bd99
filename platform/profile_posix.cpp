#include <fstream>
#include <iterator>
#include <optional>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/profile_parse.h"

namespace qv::platform {
namespace {

std::optional<std::string> ReadWholeFile(std::wstring_view path) {
  // A bare file name would be looked for in the Windows folder, which this build has not.
  if (path.find_first_of(L"/\\") == std::wstring_view::npos) return std::nullopt;
  std::ifstream in(FsPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::wstring ReadProfileString(std::wstring_view section, std::wstring_view key,
                               std::wstring_view def, std::size_t cchBuffer,
                               std::wstring_view path) {
  return ProfileStringFromBytes(ReadWholeFile(path), section, key, def, cchBuffer);
}

}  // namespace qv::platform
