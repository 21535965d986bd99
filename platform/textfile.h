// Text files read line by line the way the Windows C runtime reads them in text
// mode, identically on both builds. CR LF becomes LF (a lone CR stays), a Ctrl-Z byte ends the
// file, and the bytes are decoded either one byte per character (ISO 8859-1) or as UTF-8
// (invalid sequences become U+FFFD). In UTF-8 mode a byte-order mark decides, as it does for the
// runtime's "ccs=UTF-8" mode: a UTF-8 mark is skipped, and after a UTF-16LE mark the file is
// read as UTF-16LE (an unpaired surrogate becomes U+FFFD).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/unique_handle.h"

namespace qv::platform {

enum class TextEncoding { Latin1, Utf8 };

namespace detail {
void CloseFile(std::FILE* f) noexcept;
// Opens for binary reading; the path is 8-bit text in the system code page, in Windows form.
std::FILE* OpenForReading(std::string_view path) noexcept;
}  // namespace detail

using UniqueFile = UniqueHandle<std::FILE*, detail::CloseFile>;

class TextFile {
 public:
  TextFile() noexcept = default;
  // A closed file when the path cannot be opened.
  static TextFile Open(std::string_view path, TextEncoding encoding);
  // Takes over a stream opened for binary reading (or null), for example one over memory.
  static TextFile Adopt(std::FILE* stream, TextEncoding encoding) noexcept;

  explicit operator bool() const noexcept { return static_cast<bool>(m_file); }

  // Reads the next line, line feed included when the line has one, into `line`. A line longer
  // than maxChars characters is delivered in pieces of maxChars characters, read and decoded
  // piece by piece: the memory taken does not grow with the line. False at end of file (or on
  // a closed file), with `line` empty.
  bool ReadLine(std::wstring& line, std::size_t maxChars);

  // Passes over whole lines whose bytes, as read from the file, do not begin with `prefix`, so
  // that the next ReadLine with the same maxChars delivers the first line that may. Only lines
  // it is sure about are passed, without decoding them: a line that is longer than maxChars
  // bytes, holds the Ctrl-Z byte or ends the file is left to ReadLine, as is every line when
  // `prefix` is empty. Nothing is passed while pieces of a long line are still to come.
  void SkipLinesNotStartingWith(std::string_view prefix, std::size_t maxChars);

  TextEncoding Encoding() const noexcept { return m_encoding; }

  void Close() noexcept { m_file.reset(); }

 private:
  bool Fill();
  void AppendUtf16(const char* data, std::size_t n, bool atEnd);
  void Start();
  bool ReadRawPiece(std::string& raw, std::size_t limit);

  UniqueFile m_file;
  TextEncoding m_encoding = TextEncoding::Latin1;
  std::string m_buf;  // bytes read but not yet delivered
  std::size_t m_pos = 0;
  std::string m_raw;    // bytes of the current line read but not yet decoded
  std::size_t m_lineBytes = 0;  // bytes of the current line read so far
  bool m_inLine = false;        // the current line has more bytes to come
  bool m_utf16 = false;         // UTF-16LE file: m_buf holds its text as UTF-8
  std::string m_utf16Rest;      // an odd byte or a high surrogate waiting for its partner
  std::wstring m_decoded;
  // Bytes asked of the next read: small for the catalogs, growing for the long lists.
  std::size_t m_chunk = 4 * 1024;
  std::wstring m_line;  // the decoded line being delivered in pieces
  std::size_t m_linePos = 0;
  bool m_eof = false;
  bool m_started = false;
};

}  // namespace qv::platform
