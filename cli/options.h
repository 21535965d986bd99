// qv-lookup's command line and standard input, read into what the tool does; apart from the
// tool so that a fuzzer can drive them.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qv::cli {

// A command line or an input the tool refuses; the message is printed after "qv-lookup: ".
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Options {
  std::wstring home, installDir, lang = L"fr", blocks;
  bool json = false, readStdin = false, help = false;
  std::vector<std::wstring> texts;
};

// The arguments after the program's name; defaults are the home and installation directory
// to use when none is given. Throws Failure for an unknown option or a missing value.
Options ParseOptions(const std::vector<std::wstring>& args, std::wstring defaultHome,
                     std::wstring defaultInstallDir);

// Strict UTF-8: nullopt when the bytes do not decode exactly.
std::optional<std::wstring> DecodeStrictUtf8(const std::string& bytes);

// One captured text per line of standard input (a CR before the line feed is dropped). Throws
// Failure naming the first line that is not UTF-8.
std::vector<std::wstring> SplitInputLines(const std::string& input);

// A JSON string literal of the text, in UTF-8.
std::string JsonString(const std::wstring& text);

}  // namespace qv::cli
