#include "platform/files.h"

#include "platform/codepage.h"

namespace qv::platform {

std::string NativePath(std::string_view path) {
  std::string out = WideToUtf8(AnsiToWide(path));
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

std::wstring WithNativeSeparators(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'\\') c = L'/';
  return path;
}

std::filesystem::path FsPath(std::wstring_view path) {
  return std::filesystem::path(WideToUtf8(WithNativeSeparators(std::wstring(path))));
}

}  // namespace qv::platform
