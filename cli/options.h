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
  // --marked: each text is the text around a pointed word, marked by the "|" before it.
  bool marked = false;
  // --context TEXT --at N: the text around the word, and where the pointed token starts in it.
  std::optional<std::wstring> context;
  long at = -1;
  std::vector<std::wstring> texts;
};

// A captured text as the capture component gives it: the token, and where it lies in the text
// around it (empty and -1 when there is none).
struct PointedText {
  std::wstring token, context;
  long contextStart = -1;
};

// The whitespace-delimited token of context that holds context[at]; throws Failure when there
// is none.
PointedText TokenAt(const std::wstring& context, long at);

// A text of --marked: the token after its first "|", in the text without the bar; throws
// Failure when there is no bar or no word after it.
PointedText MarkedToken(const std::wstring& marked);

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
