#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "cli/console.h"
#include "platform/codepage.h"

namespace qv::cli {

// The Windows build sees the build tree through Wine's Z: drive.
std::wstring BuildPath(const char* path) {
  std::wstring out = platform::Utf8ToWide(path);
  if (!out.empty() && out.front() == L'/') out = L"Z:" + out;
  for (wchar_t& c : out)
    if (c == L'/') c = L'\\';
  return out;
}

}  // namespace qv::cli

int wmain(int argc, wchar_t** argv) {
  // Bytes out exactly as composed: no CR added before LF, UTF-8 on a console too.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
  return qv::cli::Main(std::vector<std::wstring>(argv + 1, argv + argc));
}
