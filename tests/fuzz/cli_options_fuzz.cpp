// Fuzzer for qv-lookup's command line and standard input. Input: the first byte says whether
// the rest is the standard input or the arguments (separated by NUL bytes, each decoded as the
// tool decodes its arguments).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using qv::fuzz::Fail;
  if (size < 1) return 0;
  std::string in(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) {
    try {
      std::vector<std::wstring> lines = qv::cli::SplitInputLines(in);
      for (const std::wstring& line : lines) {
        if (line.find(L'\n') != std::wstring::npos) Fail("cli_options_fuzz", "line feed in a line");
        std::string json = qv::cli::JsonString(line);
        for (char c : json)
          if (static_cast<unsigned char>(c) < 0x20) Fail("cli_options_fuzz", "control in JSON");
      }
    } catch (const qv::cli::Failure&) {
    }
    return 0;
  }
  std::vector<std::wstring> args;
  std::size_t start = 0;
  while (start <= in.size()) {
    std::size_t nul = in.find('\0', start);
    if (nul == std::string::npos) nul = in.size();
    std::optional<std::wstring> arg = qv::cli::DecodeStrictUtf8(in.substr(start, nul - start));
    if (!arg) return 0;  // the tool refuses the whole command line
    args.push_back(std::move(*arg));
    start = nul + 1;
  }
  try {
    qv::cli::Options opt = qv::cli::ParseOptions(args, L"home", L"install");
    if (opt.texts.size() > args.size()) Fail("cli_options_fuzz", "more texts than arguments");
    // After a leading "--" every argument is a captured text, whatever it looks like.
    if (args[0] == L"--" && opt.texts != std::vector<std::wstring>(args.begin() + 1, args.end()))
      Fail("cli_options_fuzz", "texts after -- lost");
  } catch (const qv::cli::Failure&) {
  }
  return 0;
}
