#include "cli/options.h"

#include <cstdio>

#include "platform/codepage.h"

namespace qv::cli {

Options ParseOptions(const std::vector<std::wstring>& args, std::wstring defaultHome,
                     std::wstring defaultInstallDir) {
  Options opt;
  opt.home = std::move(defaultHome);
  opt.installDir = std::move(defaultInstallDir);
  bool endOfOptions = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    if (endOfOptions || a.size() < 2 || a.compare(0, 2, L"--") != 0) {
      opt.texts.push_back(a);
      continue;
    }
    auto value = [&]() -> std::wstring {
      if (i + 1 >= args.size())
        throw Failure("option " + platform::WideToUtf8(a) + " needs a value");
      return args[++i];
    };
    if (a == L"--") endOfOptions = true;
    else if (a == L"--help") opt.help = true;
    else if (a == L"--json") opt.json = true;
    else if (a == L"--stdin") opt.readStdin = true;
    else if (a == L"--home") opt.home = value();
    else if (a == L"--install-dir") opt.installDir = value();
    else if (a == L"--lang") opt.lang = value();
    else if (a == L"--blocks") opt.blocks = value();
    else throw Failure("unknown option " + platform::WideToUtf8(a) + " (see --help)");
  }
  return opt;
}

std::optional<std::wstring> DecodeStrictUtf8(const std::string& bytes) {
  std::wstring text = platform::Utf8ToWide(bytes);
  if (platform::WideToUtf8(text) != bytes) return std::nullopt;
  return text;
}

std::vector<std::wstring> SplitInputLines(const std::string& input) {
  std::vector<std::wstring> lines;
  std::size_t start = 0, lineNo = 0;
  while (start < input.size()) {
    std::size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    std::string line = input.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++lineNo;
    std::optional<std::wstring> text = DecodeStrictUtf8(line);
    if (!text) throw Failure("line " + std::to_string(lineNo) + " of standard input is not UTF-8");
    lines.push_back(std::move(*text));
    start = end + 1;
  }
  return lines;
}

std::string JsonString(const std::wstring& text) {
  std::string utf8 = platform::WideToUtf8(text), out = "\"";
  for (char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

}  // namespace qv::cli
