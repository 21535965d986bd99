#include <iostream>
#include <optional>

#include "cli/console.h"
#include "cli/options.h"
#include "platform/codepage.h"

namespace qv::cli {

std::wstring BuildPath(const char* path) { return platform::Utf8ToWide(path); }

}  // namespace qv::cli

int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) {
    std::optional<std::wstring> arg = qv::cli::DecodeStrictUtf8(argv[i]);
    if (!arg) {
      std::cerr << "qv-lookup: argument " << i << " is not UTF-8\n";
      return 2;
    }
    args.push_back(std::move(*arg));
  }
  return qv::cli::Main(args);
}
