#include "platform/files.h"

namespace qv::platform {

// Windows takes QV's paths as they are.
std::string NativePath(std::string_view path) { return std::string(path); }

std::wstring WithNativeSeparators(std::wstring path) { return path; }

std::filesystem::path FsPath(std::wstring_view path) { return std::filesystem::path(path); }

}  // namespace qv::platform
