#include "platform/textfile.h"

#include <algorithm>

#include "platform/codepage.h"

namespace qv::platform {
namespace {
constexpr std::size_t kChunk = 64 * 1024;
constexpr char kCtrlZ = '\x1A';
}  // namespace

void detail::CloseFile(std::FILE* f) noexcept { std::fclose(f); }

TextFile TextFile::Open(std::string_view path, TextEncoding encoding) {
  TextFile file;
  file.m_file.reset(detail::OpenForReading(path));
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
  std::size_t old = m_buf.size();
  m_buf.resize(old + kChunk);
  std::size_t got = std::fread(m_buf.data() + old, 1, kChunk, m_file.get());
  m_buf.resize(old + got);
  if (got == 0) m_eof = true;
  return got > 0;
}

// One line of bytes as text mode delivers it.
bool TextFile::ReadRawLine(std::string& raw) {
  raw.clear();
  for (;;) {
    if (m_pos >= m_buf.size() && !Fill()) return !raw.empty();
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

bool TextFile::ReadLine(std::wstring& line, std::size_t maxChars) {
  line.clear();
  if (!m_file || maxChars == 0) return false;

  if (m_linePos >= m_line.size()) {
    if (!m_started) {
      m_started = true;
      if (m_encoding == TextEncoding::Utf8) {
        while (m_buf.size() - m_pos < 3 && Fill()) {
        }
        if (m_buf.compare(m_pos, 3, "\xEF\xBB\xBF") == 0) m_pos += 3;
      }
    }
    std::string raw;
    if (!ReadRawLine(raw)) return false;
    if (m_encoding == TextEncoding::Utf8) {
      m_line = Utf8ToWide(raw);
    } else {
      m_line.assign(raw.size(), L'\0');
      for (std::size_t i = 0; i < raw.size(); ++i)
        m_line[i] = static_cast<wchar_t>(static_cast<unsigned char>(raw[i]));
    }
    m_linePos = 0;
  }
  std::size_t n = std::min(maxChars, m_line.size() - m_linePos);
  line.assign(m_line, m_linePos, n);
  m_linePos += n;
  return true;
}

}  // namespace qv::platform
