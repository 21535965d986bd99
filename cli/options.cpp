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
    else if (a == L"--marked") opt.marked = true;
    else if (a == L"--context") opt.context = value();
    else if (a == L"--at") {
      const std::wstring n = value();
      if (n.empty() || n.size() > 9 || n.find_first_not_of(L"0123456789") != std::wstring::npos)
        throw Failure("--at: not a character position: " + platform::WideToUtf8(n));
      opt.at = std::stol(n);
    }
    else throw Failure("unknown option " + platform::WideToUtf8(a) + " (see --help)");
  }
  if (opt.context.has_value() != (opt.at >= 0))
    throw Failure("--context and --at go together");
  return opt;
}

PointedText TokenAt(const std::wstring& context, long at) {
  auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == 0xA0; };
  const std::size_t i = static_cast<std::size_t>(at);
  if (at < 0 || i >= context.size() || blank(context[i]))
    throw Failure("no word at position " + std::to_string(at) + " of the context");
  std::size_t start = i, end = i;
  while (start > 0 && !blank(context[start - 1])) --start;
  while (end < context.size() && !blank(context[end])) ++end;
  return {context.substr(start, end - start), context, static_cast<long>(start)};
}

PointedText MarkedToken(const std::wstring& marked) {
  const std::size_t bar = marked.find(L'|');
  if (bar == std::wstring::npos) throw Failure("no \"|\" before a pointed word");
  const std::wstring context = marked.substr(0, bar) + marked.substr(bar + 1);
  return TokenAt(context, static_cast<long>(bar));
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
