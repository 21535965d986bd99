#include "platform/textfile.h"

#include "platform/utf8.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace qv::platform {
namespace {
constexpr std::size_t kChunk = 64 * 1024;  // the largest read
constexpr char kCtrlZ = '\x1A';

}  // namespace

void detail::CloseFile(std::FILE* f) noexcept { std::fclose(f); }

TextFile TextFile::Open(std::string_view path, TextEncoding encoding) {
  return Adopt(detail::OpenForReading(path), encoding);
}

TextFile TextFile::Adopt(std::FILE* stream, TextEncoding encoding) noexcept {
  TextFile file;
  file.m_file.reset(stream);
  file.m_encoding = encoding;
  return file;
}

// Appends the next chunk of the file to the unread bytes; false at end of file.
bool TextFile::Fill() {
  if (m_eof || !m_file) return false;
  if (m_pos > 0) {
    m_buf.erase(0, m_pos);
    m_pos = 0;
  }
  std::size_t chunk = m_chunk;
  m_chunk = std::min(m_chunk * 2, kChunk);
  std::size_t old = m_buf.size();
  m_buf.resize(old + chunk);
  std::size_t got = std::fread(m_buf.data() + old, 1, chunk, m_file.get());
  m_buf.resize(old + got);
  if (got == 0) m_eof = true;
  return got > 0;
}

// One line of bytes as text mode delivers it.
bool TextFile::ReadRawLine(std::string& raw) {
  raw.clear();
  for (;;) {
    if (m_pos >= m_buf.size() && !Fill()) return !raw.empty();
    // Plain bytes go in one piece, up to the first line feed, CR or Ctrl-Z.
    const char* begin = m_buf.data() + m_pos;
    std::size_t stop = m_buf.size() - m_pos;
    for (char special : {'\n', '\r', kCtrlZ})
      if (const void* at = std::memchr(begin, special, stop))
        stop = static_cast<std::size_t>(static_cast<const char*>(at) - begin);
    raw.append(begin, stop);
    m_pos += stop;
    if (m_pos >= m_buf.size()) continue;
    char c = m_buf[m_pos];
    if (c == kCtrlZ) {  // the runtime's end-of-file mark for text-mode files
      m_eof = true;
      m_buf.clear();
      m_pos = 0;
      return !raw.empty();
    }
    if (c == '\r') {
      if (m_pos + 1 >= m_buf.size()) Fill();  // moves the unread bytes to the front
      if (m_pos + 1 < m_buf.size() && m_buf[m_pos + 1] == '\n') {
        ++m_pos;
        continue;
      }
    }
    raw.push_back(c);
    ++m_pos;
    if (c == '\n') return true;
  }
}

// Skips the UTF-8 byte-order mark before the first line.
void TextFile::Start() {
  if (m_started) return;
  m_started = true;
  if (m_encoding == TextEncoding::Utf8) {
    while (m_buf.size() - m_pos < 3 && Fill()) {
    }
    if (m_buf.compare(m_pos, 3, "\xEF\xBB\xBF") == 0) m_pos += 3;
  }
}

void TextFile::SkipLinesNotStartingWith(std::string_view prefix, std::size_t maxChars) {
  if (!m_file || prefix.empty() || m_linePos < m_line.size()) return;
  Start();
  for (;;) {
    const char* data = m_buf.data();
    // Text mode ends the file at the first Ctrl-Z: the lines before it are plain.
    std::size_t end = m_buf.size();
    if (const void* z = std::memchr(data + m_pos, kCtrlZ, end - m_pos))
      end = static_cast<std::size_t>(static_cast<const char*>(z) - data);
    while (const void* nl = std::memchr(data + m_pos, '\n', end - m_pos)) {
      // The line as read has at most these many characters (CR LF becomes LF), so it comes in
      // one piece, and its first bytes are its first characters, decoded or not: a line
      // whose bytes begin with the prefix is the only kind that can begin with the key.
      std::size_t len = static_cast<std::size_t>(static_cast<const char*>(nl) - data) + 1 - m_pos;
      if (len > maxChars) return;
      if (len >= prefix.size() && std::memcmp(data + m_pos, prefix.data(), prefix.size()) == 0)
        return;
      m_pos += len;
    }
    // What is left has no line feed yet: more of the file decides, unless a Ctrl-Z is in the
    // way or the line is already too long to come in one piece.
    if (end < m_buf.size() || m_buf.size() - m_pos > maxChars || !Fill()) return;
  }
}

bool TextFile::ReadLine(std::wstring& line, std::size_t maxChars) {
  line.clear();
  if (!m_file || maxChars == 0) return false;

  if (m_linePos >= m_line.size()) {
    Start();
    std::string& raw = m_raw;
    if (!ReadRawLine(raw)) return false;
    if (m_encoding == TextEncoding::Utf8) {
      DecodeUtf8(raw, m_line);
    } else {
      m_line.assign(raw.size(), L'\0');
      for (std::size_t i = 0; i < raw.size(); ++i)
        m_line[i] = static_cast<wchar_t>(static_cast<unsigned char>(raw[i]));
    }
    m_linePos = 0;
  }
  std::size_t n = std::min(maxChars, m_line.size() - m_linePos);
  if (m_linePos == 0 && n == m_line.size()) {
    line.swap(m_line);  // the whole line in one piece: no copy, and both buffers are reused
    m_line.clear();
    m_linePos = 0;
    return true;
  }
  line.assign(m_line, m_linePos, n);
  m_linePos += n;
  return true;
}

}  // namespace qv::platform
