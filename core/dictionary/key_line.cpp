#include "core/dictionary/key_line.h"

#include "platform/utf8.h"

namespace qv {

using platform::TextEncoding;
using platform::TextFile;

std::string EncodeKeyPrefix(std::wstring_view key, TextEncoding encoding) {
  std::string out;
  for (std::size_t i = 0; i < key.size();) {
    if (encoding == TextEncoding::Latin1) {
      const auto c = static_cast<char32_t>(key[i++]);
      if (c > 0xFF) return {};
      out.push_back(static_cast<char>(c));
      continue;
    }
    const char32_t c = platform::NextCodePoint(key, i);
    if (platform::IsSurrogate(c) || c > 0x10FFFF || c == 0xFFFD) return {};
    platform::AppendUtf8(c, out);
  }
  out.push_back('=');
  return out;
}

std::wstring FindKeyInFile(TextFile stream, std::wstring_view key) {
  std::wstring value;
  // Lines are handled as C strings: a null character ends a line's text, so a key holding one
  // never matches, and a line matches only when no null comes before the key's "=" (which the
  // comparison itself ensures).
  if (!key.empty() && key.find(L'\0') == std::wstring_view::npos) {
    // Lines whose bytes do not begin with the key's bytes and "=" are passed undecoded; the
    // rest are decoded and compared below, so the result does not depend on the pass.
    std::string prefix = EncodeKeyPrefix(key, stream.Encoding());
    std::wstring line;
    for (;;) {
      stream.SkipLinesNotStartingWith(prefix, kLineBufferChars - 1);
      if (!stream.ReadLine(line, kLineBufferChars - 1)) break;
      if (std::optional<std::wstring> found = KeyValueOfLine(line, key)) {
        value = std::move(*found);
        break;
      }
    }
  }
  stream.Close();
  return value;
}

std::optional<std::wstring> KeyValueOfLine(std::wstring_view line, std::wstring_view key) {
  if (line.size() <= key.size() || line[key.size()] != L'=' || line.compare(0, key.size(), key) != 0)
    return std::nullopt;
  std::size_t end = line.find_first_of(std::wstring_view(L"\n\0", 2), key.size());
  if (end == std::wstring_view::npos) end = line.size();
  std::wstring_view text = line.substr(0, end);
  std::size_t start = text.find_first_not_of(L'=', key.size());
  if (start == std::wstring_view::npos) return std::wstring();
  return std::wstring(text.substr(start, text.find(L'=', start) - start));
}

std::wstring FindKeyInText(std::wstring_view text, std::wstring_view word) {
  if (word.empty()) return {};
  std::size_t pos = text.find(word);
  if (pos == std::wstring_view::npos) return {};
  // A line start: the character before is the previous line's line feed (or another control).
  auto atLineStart = [&] { return static_cast<std::uint32_t>(text[pos - 1]) < 20; };
  bool accepted = pos == 0 ? text.find(L'=') == word.size() : atLineStart();
  while (!accepted) {
    pos = text.find(word, pos + 1);
    if (pos == std::wstring_view::npos) return {};
    accepted = atLineStart();
  }
  // The first line that begins with the word decides, even when its key is longer.
  std::size_t eq = text.find(L'=', pos);
  if (eq != pos + word.size()) return {};
  std::size_t nl = text.find(L'\n', pos);
  if (nl == std::wstring_view::npos) return std::wstring(text.substr(eq + 1));
  if (nl < eq) return {};  // the word itself holds a line feed
  return std::wstring(text.substr(eq + 1, nl - eq));
}

}  // namespace qv
