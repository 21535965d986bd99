// Fuzzer for the text-file layer and the conversions under it. Over arbitrary bytes: the lines
// ReadLine delivers, in pieces of any size, are the file as text mode reads it, decoded as a
// whole (in UTF-8 mode a UTF-16LE file too); the lines that SkipLinesNotStartingWith lets
// through are those lines in order, with every line that begins with the prefix among them; and
// the code-page and UTF-8 conversions go back and forth without loss. Input: the first byte
// picks the encoding and the piece size, the second the prefix length; then the prefix and the
// file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/textfile.h"
#include "platform/utf8.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using qv::fuzz::Fail;
using qv::platform::TextEncoding;
using qv::platform::TextFile;

// UTF-16LE as UTF-8: pairs joined, an unpaired surrogate as U+FFFD, a last odd byte dropped.
std::string Utf16ToUtf8(std::string_view b) {
  std::string out;
  auto unit = [&](std::size_t i) -> char32_t {
    return static_cast<unsigned char>(b[i]) | static_cast<unsigned char>(b[i + 1]) << 8;
  };
  for (std::size_t i = 0; i + 2 <= b.size(); i += 2) {
    char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 4 <= b.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) <= 0xDFFF) {
      u = 0x10000 + ((u - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      u = 0xFFFD;
    }
    qv::platform::AppendUtf8(u, out);
  }
  return out;
}

// The file as the C runtime's text mode reads it: up to the first Ctrl-Z, CR LF as LF; in
// UTF-8 mode a UTF-8 byte-order mark is skipped and a UTF-16LE one makes the file UTF-16LE.
std::string TextMode(std::string_view bytes, TextEncoding encoding) {
  std::string utf8;
  if (encoding == TextEncoding::Utf8 && bytes.substr(0, 2) == "\xFF\xFE") {
    utf8 = Utf16ToUtf8(bytes.substr(2));
    bytes = utf8;
  } else if (encoding == TextEncoding::Utf8 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    bytes.remove_prefix(3);
  }
  bytes = bytes.substr(0, bytes.find('\x1A'));
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) out += bytes[i];
  return out;
}

TextFile OpenOver(std::string& bytes, TextEncoding encoding) {
  return TextFile::Adopt(fmemopen(bytes.empty() ? nullptr : bytes.data(), bytes.size(), "rb"),
                         encoding);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const TextEncoding encoding = data[0] & 1 ? TextEncoding::Utf8 : TextEncoding::Latin1;
  const std::size_t maxChars = 1 + (data[0] >> 1);  // 1 .. 128
  const std::size_t prefixLen = std::min<std::size_t>(data[1] % 8, size - 2);
  std::string prefix(reinterpret_cast<const char*>(data) + 2, prefixLen);
  std::string bytes(reinterpret_cast<const char*>(data) + 2 + prefixLen, size - 2 - prefixLen);

  std::wstring expected;
  std::string text = TextMode(bytes, encoding);
  if (encoding == TextEncoding::Utf8)
    qv::platform::DecodeUtf8(text, expected);
  else
    for (char c : text) expected += static_cast<wchar_t>(static_cast<unsigned char>(c));

  // Every piece, and the lines they make.
  std::vector<std::wstring> pieces;
  std::vector<bool> startsLine;
  std::wstring joined, piece;
  TextFile file = OpenOver(bytes, encoding);
  bool atStart = true;
  while (file.ReadLine(piece, maxChars)) {
    if (piece.empty() || piece.size() > maxChars) Fail("textfile_fuzz", "piece size");
    if (piece.find(L'\n') != std::wstring::npos && piece.find(L'\n') + 1 != piece.size())
      Fail("textfile_fuzz", "piece spans lines");
    joined += piece;
    pieces.push_back(piece);
    startsLine.push_back(atStart);
    atStart = piece.back() == L'\n';
  }
  if (joined != expected) Fail("textfile_fuzz", "lines are not the file");

  // The skipping reader gives a subsequence that keeps each line beginning with the prefix (in
  // the Latin-1 reading the decoded characters are the bytes). The prefix is compared with the
  // bytes as stored, so a line read as "\n" from "\r\n" may go with a prefix "\n": the key's
  // prefix never holds a line feed.
  const bool checkKept = prefix.find('\n') == std::string::npos;
  auto wanted = [&](std::size_t k) {
    return encoding == TextEncoding::Latin1 && checkKept && startsLine[k] && !prefix.empty() &&
           pieces[k].size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), pieces[k].begin(),
                      [](char a, wchar_t b) { return static_cast<unsigned char>(a) == b; });
  };
  TextFile skipping = OpenOver(bytes, encoding);
  std::size_t next = 0;
  for (;;) {
    skipping.SkipLinesNotStartingWith(prefix, maxChars);
    bool more = skipping.ReadLine(piece, maxChars);
    // The earliest match: a wanted piece passed over here was passed over by the reader too.
    for (; next < pieces.size() && (!more || pieces[next] != piece); ++next)
      if (wanted(next)) Fail("textfile_fuzz", "a line with the prefix was skipped");
    if (!more) break;
    if (next == pieces.size()) Fail("textfile_fuzz", "skipping reader gave a line not in the file");
    ++next;
  }

  // Windows-1252 holds every byte; UTF-8 round-trips whatever it decoded.
  if (qv::platform::WideToAnsi(qv::platform::AnsiToWide(bytes)) != bytes)
    Fail("textfile_fuzz", "code page round trip");
  std::wstring wide = qv::platform::Utf8ToWide(bytes);
  if (qv::platform::Utf8ToWide(qv::platform::WideToUtf8(wide)) != wide)
    Fail("textfile_fuzz", "UTF-8 round trip");
  return 0;
}
