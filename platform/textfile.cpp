#include "platform/textfile.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "platform/files.h"
#include "platform/trace.h"
#include "platform/utf8.h"

namespace qv::platform {
namespace {
constexpr std::size_t kChunk = 64 * 1024;  // the largest read
constexpr char kCtrlZ = '\x1A';

}  // namespace

void detail::CloseFile(std::FILE* f) noexcept { std::fclose(f); }

// The narrow C runtime entry takes the path in the system code page, as QV's paths are.
std::FILE* detail::OpenForReading(std::string_view path) noexcept {
  try {
    return std::fopen(NativePath(path).c_str(), "rb");
  } catch (...) {
    TraceFailure(L"opening a file for reading");
    return nullptr;
  }
}

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
  for (;;) {
    std::size_t chunk = m_chunk;
    m_chunk = std::min(m_chunk * 2, kChunk);
    std::size_t old = m_buf.size();
    if (!m_utf16) {
      m_buf.resize(old + chunk);
      std::size_t got = std::fread(m_buf.data() + old, 1, chunk, m_file.get());
      m_buf.resize(old + got);
      if (got == 0) m_eof = true;
      return got > 0;
    }
    std::string bytes(chunk, '\0');
    std::size_t got = std::fread(bytes.data(), 1, chunk, m_file.get());
    if (got == 0) m_eof = true;
    AppendUtf16(bytes.data(), got, got == 0);
    if (m_buf.size() > old) return true;
    if (m_eof) return false;
  }
}

// Appends UTF-16LE bytes to the unread bytes as UTF-8, keeping an odd byte or a high surrogate
// for the next call unless the file has ended.
void TextFile::AppendUtf16(const char* data, std::size_t n, bool atEnd) {
  m_utf16Rest.append(data, n);
  const auto* b = reinterpret_cast<const unsigned char*>(m_utf16Rest.data());
  const std::size_t size = m_utf16Rest.size();
  std::size_t i = 0;
  for (; i + 2 <= size; i += 2) {
    char32_t u = b[i] | (b[i + 1] << 8);
    if (IsHighSurrogate(u)) {
      if (i + 4 > size) {
        if (!atEnd) break;
      } else if (char32_t low = b[i + 2] | (b[i + 3] << 8); IsLowSurrogate(low)) {
        AppendUtf8(JoinSurrogates(u, low), m_buf);
        i += 2;
        continue;
      }
      u = 0xFFFD;
    } else if (IsLowSurrogate(u)) {
      u = 0xFFFD;
    }
    AppendUtf8(u, m_buf);
  }
  m_utf16Rest.erase(0, i);
  if (atEnd) m_utf16Rest.clear();  // a last odd byte is no character
}

// Appends bytes of the current line, as text mode delivers them, to raw until the line ends
// or raw holds `limit` bytes. True when the line has ended: after its line feed, at a Ctrl-Z
// or at the end of the file.
bool TextFile::ReadRawPiece(std::string& raw, std::size_t limit) {
  for (;;) {
    if (raw.size() >= limit) return false;
    if (m_pos >= m_buf.size() && !Fill()) return true;
    // Plain bytes go in one piece, up to the first line feed, CR or Ctrl-Z.
    const char* begin = m_buf.data() + m_pos;
    std::size_t stop = std::min(m_buf.size() - m_pos, limit - raw.size());
    for (char special : {'\n', '\r', kCtrlZ})
      if (const void* at = std::memchr(begin, special, stop))
        stop = static_cast<std::size_t>(static_cast<const char*>(at) - begin);
    raw.append(begin, stop);
    m_pos += stop;
    m_lineBytes += stop;
    if (m_pos >= m_buf.size() || raw.size() >= limit) continue;
    char c = m_buf[m_pos];
    if (c == kCtrlZ) {  // the runtime's end-of-file mark for text-mode files
      m_eof = true;
      m_buf.clear();
      m_pos = 0;
      return true;
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
    ++m_lineBytes;
    if (c == '\n') return true;
  }
}

// Skips the UTF-8 byte-order mark before the first line, or turns to UTF-16LE after its mark.
void TextFile::Start() {
  if (m_started) return;
  m_started = true;
  if (m_encoding == TextEncoding::Utf8) {
    while (m_buf.size() - m_pos < 3 && Fill()) {
    }
    if (m_buf.compare(m_pos, 3, "\xEF\xBB\xBF") == 0) {
      m_pos += 3;
    } else if (m_buf.compare(m_pos, 2, "\xFF\xFE") == 0) {
      std::string rest = m_buf.substr(m_pos + 2);
      m_buf.clear();
      m_pos = 0;
      m_utf16 = true;
      AppendUtf16(rest.data(), rest.size(), m_eof);
    }
  }
}

void TextFile::SkipLinesNotStartingWith(std::string_view prefix, std::size_t maxChars) {
  if (!m_file || prefix.empty() || m_inLine || m_linePos < m_line.size()) return;
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

namespace {

// Where UTF-8 bytes of a line that goes on may be cut so that decoding the two parts apart
// gives what decoding them together would: before a last sequence that may still be completed
// by the bytes to come. The decoder decides each sequence from its own bytes only.
std::size_t Utf8Cut(std::string_view bytes) {
  const std::size_t n = bytes.size();
  for (std::size_t j = n > 3 ? n - 3 : 0; j < n; ++j) {
    auto b = static_cast<unsigned char>(bytes[j]);
    std::size_t len = (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (len == 0 || j + len <= n) continue;
    bool open = true;
    for (std::size_t k = j + 1; k < n && open; ++k)
      open = (static_cast<unsigned char>(bytes[k]) & 0xC0) == 0x80;
    if (open) return j;
  }
  return n;
}

}  // namespace

bool TextFile::ReadLine(std::wstring& line, std::size_t maxChars) {
  line.clear();
  if (!m_file || maxChars == 0) return false;
  Start();
  // Decode the current line a piece at a time until maxChars characters are ready or the line
  // has ended.
  for (;;) {
    const std::size_t ready = m_line.size() - m_linePos;
    if (ready >= maxChars || (ready > 0 && !m_inLine)) break;
    if (ready == 0 && !m_inLine) {  // a new line
      m_line.clear();
      m_linePos = 0;
      m_raw.clear();
      m_lineBytes = 0;
      m_inLine = true;
    } else if (m_linePos > 0) {
      m_line.erase(0, m_linePos);
      m_linePos = 0;
    }
    const std::size_t want = std::max<std::size_t>(maxChars - (m_line.size() - m_linePos), 4096);
    const bool ended = ReadRawPiece(m_raw, m_raw.size() + want);
    const std::size_t cut = ended || m_encoding != TextEncoding::Utf8 ? m_raw.size() : Utf8Cut(m_raw);
    if (m_encoding == TextEncoding::Utf8) {
      DecodeUtf8(std::string_view(m_raw).substr(0, cut), m_decoded);
      m_line += m_decoded;
    } else {
      for (std::size_t i = 0; i < cut; ++i)
        m_line.push_back(static_cast<wchar_t>(static_cast<unsigned char>(m_raw[i])));
    }
    m_raw.erase(0, cut);
    if (ended) {
      m_inLine = false;
      if (m_lineBytes == 0) return false;  // end of file
    }
  }
  std::size_t n = std::min(maxChars, m_line.size() - m_linePos);
  if (m_linePos == 0 && n == m_line.size() && !m_inLine) {
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
