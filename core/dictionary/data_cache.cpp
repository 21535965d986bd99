#include "core/dictionary/data_cache.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "core/dictionary/key_line.h"
#include "platform/codepage.h"
#include "platform/resources.h"
#include "platform/utf8.h"

namespace qv {

using platform::TextEncoding;

// A key/value file as the line reader delivers it: the bytes after a UTF-8 byte-order mark, up
// to the first Ctrl-Z, with CR LF read as LF. The bytes stay as the file holds them: a line is
// the bytes up to its LF, less the CR before it.
class CKeyFile {
 public:
  CKeyFile(const std::string& path, TextEncoding encoding) : m_encoding(encoding) {
    platform::UniqueFile f(platform::detail::OpenForReading(path));
    if (!f) return;
    m_opened = true;
    // Read in one piece when the size is known, into a buffer that is not cleared first.
    std::size_t size = 0;
    if (std::fseek(f.get(), 0, SEEK_END) == 0) {
      const long end = std::ftell(f.get());
      std::fseek(f.get(), 0, SEEK_SET);
      if (end > 0) {
        m_data.reset(new char[static_cast<std::size_t>(end)]);
        size = std::fread(m_data.get(), 1, static_cast<std::size_t>(end), f.get());
      }
    }
    // The rest, when the size was not known or the file grew meanwhile.
    std::string more;
    char buf[64 * 1024];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, f.get())) more.append(buf, n);
    f.reset();
    if (!more.empty()) {
      std::unique_ptr<char[]> all(new char[size + more.size()]);
      if (size) std::memcpy(all.get(), m_data.get(), size);
      std::memcpy(all.get() + size, more.data(), more.size());
      m_data = std::move(all);
      size += more.size();
    }
    const std::string_view text(m_data.get(), size);
    std::size_t start = 0;
    if (encoding == TextEncoding::Utf8) {
      if (text.substr(0, 3) == "\xEF\xBB\xBF") start = 3;
      else if (text.substr(0, 2) == "\xFF\xFE") return;  // UTF-16LE: left to the reader
    }
    const std::size_t end = text.find('\x1A', start);
    m_size = size;
    m_begin = start;
    m_end = end == std::string_view::npos ? size : end;
    m_readable = size <= UINT32_MAX;
  }

  // FindKeyInFile's answer; nullopt when the index cannot give it.
  std::optional<std::wstring> Find(std::wstring_view key) const {
    if (!m_opened) return std::wstring();
    if (!m_readable) return std::nullopt;
    const std::string prefix = EncodeKeyPrefix(key, m_encoding);
    std::optional<std::wstring> best;
    std::uint32_t bestStart = UINT32_MAX;
    auto consider = [&](const Line& line) {
      if (line.start >= bestStart) return;
      if (std::optional<std::wstring> value = KeyValueOfLine(Decode(line), key)) {
        best = std::move(value);
        bestStart = line.start;
      }
    };
    if (!prefix.empty() && !m_sorted && m_uses++ < kScannedUses) {
      // A file asked a few times (the command-line tool's single look-up) is scanned in file
      // order up to the first line that answers, without indexing its lines: that would cost
      // more than the scans. A line the reader would deliver in pieces, met before, leaves it
      // to the reader.
      const std::size_t first = FirstLineStartingWith(prefix);
      for (std::size_t pos = m_begin; pos < m_end;) {
        const Line line = LineAt(pos);
        if (line.ReadSize() + 2 >= kLineBufferChars) return std::nullopt;
        if (pos == first) {
          consider(line);
          break;
        }
        // Lines before the first candidate are only measured, and only where one of them
        // could be too long.
        if (first - m_begin + 2 < kLineBufferChars) pos = first;
        else pos += line.size;
      }
      return best ? std::move(*best) : std::wstring();
    }
    if (!Indexed()) return std::nullopt;
    if (prefix.empty()) {
      // No decoded ISO 8859-1 line holds such a character; in UTF-8 a U+FFFD may stand for
      // any invalid byte, so every line is decoded.
      if (m_encoding == TextEncoding::Utf8)
        for (const Line& line : m_lines) consider(line);
    } else {
      if (!m_sorted) {
        std::stable_sort(m_lines.begin(), m_lines.end(),
                         [&](const Line& a, const Line& b) { return Bytes(a) < Bytes(b); });
        m_sorted = true;
      }
      auto it = std::lower_bound(m_lines.begin(), m_lines.end(), prefix,
                                 [&](const Line& l, const std::string& p) { return Bytes(l) < p; });
      for (; it != m_lines.end() && Bytes(*it).substr(0, prefix.size()) == prefix; ++it) consider(*it);
    }
    return best ? std::move(*best) : std::wstring();
  }

  std::size_t MemoryBytes() const { return m_size + m_lines.capacity() * sizeof(Line); }

 private:
  // The look-ups answered by a scan before the lines are indexed and sorted.
  static constexpr int kScannedUses = 3;

  struct Line {
    std::uint32_t start;
    std::uint32_t size : 30;   // the bytes up to the LF included
    std::uint32_t ending : 2;  // how many of them end the line: 0, 1 (LF) or 2 (CR LF)
    // The size the line reader sees, its CR LF read as LF.
    std::size_t ReadSize() const { return size - (ending == 2 ? 1 : 0); }
  };
  // Where the first line that starts with prefix (and goes on after it) starts; m_end when none.
  std::size_t FirstLineStartingWith(const std::string& prefix) const {
    const char* data = m_data.get();
    if (m_end - m_begin >= prefix.size() &&
        std::memcmp(data + m_begin, prefix.data(), prefix.size()) == 0 &&
        LineAt(m_begin).ReadSize() > prefix.size())
      return m_begin;
    const std::string needle = "\n" + prefix;
    const std::string_view text(data, m_end);
    for (std::size_t hit = text.find(needle, m_begin); hit != std::string_view::npos;
         hit = text.find(needle, hit + 1)) {
      if (LineAt(hit + 1).ReadSize() > prefix.size()) return hit + 1;
    }
    return m_end;
  }
  Line LineAt(std::size_t pos) const {
    const char* data = m_data.get();
    const void* nl = std::memchr(data + pos, '\n', m_end - pos);
    const std::size_t next =
        nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - data) + 1 : m_end;
    std::uint32_t ending = nl ? 1 : 0;
    if (nl && next - pos >= 2 && data[next - 2] == '\r') ending = 2;
    // A line of 2^30 bytes or more is one the reader delivers in pieces: it is never indexed.
    const std::size_t size = std::min<std::size_t>(next - pos, (1u << 30) - 1);
    return {static_cast<std::uint32_t>(pos), static_cast<std::uint32_t>(size), ending};
  }
  // The line's text, without its line end.
  std::string_view Bytes(const Line& l) const {
    return std::string_view(m_data.get() + l.start, l.size - l.ending);
  }
  std::wstring Decode(const Line& l) const {
    const std::string_view bytes = Bytes(l);
    std::wstring out;
    if (m_encoding == TextEncoding::Utf8) {
      platform::DecodeUtf8(bytes, out);
    } else {
      out.reserve(bytes.size());
      for (char c : bytes) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return out;
  }

  // The lines' index, made at the first look-up after the scanned ones; false when a line is
  // one the reader would deliver in pieces, which the index cannot answer for.
  bool Indexed() const {
    if (m_linesMade) return m_indexed;
    m_linesMade = true;
    for (std::size_t pos = m_begin; pos < m_end;) {
      const Line line = LineAt(pos);
      if (line.ReadSize() + 2 >= kLineBufferChars) {
        m_lines.clear();
        m_lines.shrink_to_fit();
        return false;
      }
      m_lines.push_back(line);
      pos += line.size;
    }
    m_lines.shrink_to_fit();
    m_indexed = true;
    return true;
  }

  TextEncoding m_encoding;
  bool m_opened = false;
  bool m_readable = false;  // a file the index may answer for: not UTF-16, not too large
  mutable bool m_linesMade = false;
  mutable bool m_indexed = false;
  // The lines are sorted once the scanned look-ups are done; until then they are in file order.
  mutable bool m_sorted = false;
  mutable int m_uses = 0;
  std::unique_ptr<char[]> m_data;  // the file's bytes
  std::size_t m_size = 0;
  std::size_t m_begin = 0, m_end = 0;  // after the byte-order mark, before the first Ctrl-Z
  mutable std::vector<Line> m_lines;
};

// A DICT block indexed by its line starts: the positions that follow a control character
// (below 20), sorted by the text up to the next one. Usable when the system code page decodes
// the block one byte to one character, as single-byte code pages do; else the block is
// decoded and scanned at each look-up, as before.
class CBlockIndex {
 public:
  explicit CBlockIndex(std::string_view block) : m_block(block) {
    if (block.size() > UINT32_MAX) return;
    for (int b = 0; b < 256; ++b) {
      const char c = static_cast<char>(b);
      std::wstring w = platform::AnsiToWide(std::string_view(&c, 1));
      if (w.size() != 1) return;
      m_map[b] = w[0];
    }
    {
      const std::wstring wide = platform::AnsiToWide(block);
      if (wide.size() != block.size()) return;
      for (std::size_t i = 0; i < block.size(); ++i)
        if (wide[i] != At(i)) return;
      m_firstEq = wide.find(L'=');
    }
    for (std::size_t p = 1; p < block.size(); ++p)
      if (Control(p - 1)) m_starts.push_back(static_cast<std::uint32_t>(p));
    m_starts.shrink_to_fit();
    std::stable_sort(m_starts.begin(), m_starts.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return Less(a, b); });
    m_usable = true;
  }

  // FindKeyInText's answer; nullopt when the index cannot give it.
  std::optional<std::wstring> Find(std::wstring_view word) const {
    if (!m_usable) return std::nullopt;
    if (word.empty()) return std::wstring();
    for (wchar_t c : word)
      if (static_cast<std::uint32_t>(c) < 20) return std::nullopt;
    std::size_t pos = std::wstring::npos;
    if (StartsWith(0, word) && m_firstEq == word.size()) {
      pos = 0;
    } else {
      auto it = std::lower_bound(m_starts.begin(), m_starts.end(), word,
                                 [&](std::uint32_t s, std::wstring_view w) { return Compare(s, w) < 0; });
      for (; it != m_starts.end() && StartsWith(*it, word); ++it) pos = std::min<std::size_t>(pos, *it);
      if (pos == std::wstring::npos) return std::wstring();
    }
    // The first line that begins with the word decides, even when its key is longer.
    const std::size_t eq = pos + word.size();
    if (word.find(L'=') != std::wstring_view::npos || eq >= m_block.size() || At(eq) != L'=')
      return std::wstring();
    std::size_t nl = eq;
    while (nl < m_block.size() && At(nl) != L'\n') ++nl;
    const std::size_t end = nl < m_block.size() ? nl + 1 : m_block.size();
    std::wstring out;
    out.reserve(end - eq - 1);
    for (std::size_t i = eq + 1; i < end; ++i) out.push_back(At(i));
    return out;
  }

  std::size_t MemoryBytes() const { return m_starts.capacity() * sizeof(std::uint32_t); }

 private:
  wchar_t At(std::size_t i) const { return m_map[static_cast<unsigned char>(m_block[i])]; }
  bool Control(std::size_t i) const { return static_cast<std::uint32_t>(At(i)) < 20; }
  // The text from `start` up to the next control character against `word`: negative, zero or
  // positive as wide-string comparison orders them, zero when the text begins with the word.
  int Compare(std::size_t start, std::wstring_view word) const {
    for (std::size_t i = 0; i < word.size(); ++i) {
      const std::size_t p = start + i;
      if (p >= m_block.size() || Control(p)) return -1;
      const wchar_t c = At(p);
      if (c != word[i]) return c < word[i] ? -1 : 1;
    }
    return 0;
  }
  bool StartsWith(std::size_t start, std::wstring_view word) const { return Compare(start, word) == 0; }
  bool Less(std::size_t a, std::size_t b) const {
    for (;; ++a, ++b) {
      const bool endA = a >= m_block.size() || Control(a), endB = b >= m_block.size() || Control(b);
      if (endA || endB) return endA && !endB;
      if (At(a) != At(b)) return At(a) < At(b);
    }
  }

  std::string_view m_block;
  std::array<wchar_t, 256> m_map{};
  std::size_t m_firstEq = std::wstring::npos;
  std::vector<std::uint32_t> m_starts;
  bool m_usable = false;
};

struct CDataCache::Entry {
  std::unique_ptr<CKeyFile> file;
  platform::FileStamp stamp;
  Clock::time_point checked;
};

CDataCache::CDataCache(std::function<Clock::time_point()> now) : m_now(std::move(now)) {}
CDataCache::~CDataCache() = default;

const CKeyFile& CDataCache::File(const std::string& path, TextEncoding encoding) {
  std::unique_ptr<Entry>& entry = m_files[{path, encoding}];
  const Clock::time_point now = m_now();
  if (entry && now - entry->checked < m_interval) return *entry->file;
  const platform::FileStamp stamp = platform::StampOf(path);
  if (!entry || stamp != entry->stamp || !stamp.exists) {
    if (entry && stamp != entry->stamp) ++m_generation;
    auto fresh = std::make_unique<Entry>();
    fresh->stamp = stamp;
    fresh->file = std::make_unique<CKeyFile>(path, encoding);
    entry = std::move(fresh);
  }
  entry->checked = now;
  return *entry->file;
}

std::uint64_t CDataCache::Refresh() {
  std::lock_guard<std::mutex> lock(m_mutex);
  const Clock::time_point now = m_now();
  for (auto it = m_files.begin(); it != m_files.end();) {
    Entry* entry = it->second.get();
    if (entry && now - entry->checked >= m_interval) {
      entry->checked = now;
      if (platform::StampOf(it->first.first) != entry->stamp) {
        ++m_generation;
        it = m_files.erase(it);
        continue;
      }
    }
    ++it;
  }
  return m_generation;
}

std::wstring CDataCache::FindKey(const std::string& path, TextEncoding encoding, std::wstring_view key) {
  if (key.empty() || key.find(L'\0') != std::wstring_view::npos) return {};
  std::lock_guard<std::mutex> lock(m_mutex);
  if (std::optional<std::wstring> value = File(path, encoding).Find(key)) return std::move(*value);
  return FindKeyInFile(platform::TextFile::Open(path, encoding), key);
}

std::wstring CDataCache::FindInBlock(const std::wstring& name, std::wstring_view word) {
  std::optional<std::string_view> block = platform::FindBlock(L"DICT", name);
  if (!block) return {};
  std::lock_guard<std::mutex> lock(m_mutex);
  // A block is indexed at its second look-up: for a single one, the scan costs less.
  BlockEntry& entry = m_blocks[name];
  if (entry.data != block->data() || entry.size != block->size()) entry = {block->data(), block->size(), 0, nullptr};
  if (++entry.uses >= 2 && !entry.index) entry.index = std::make_unique<CBlockIndex>(*block);
  if (entry.index)
    if (std::optional<std::wstring> value = entry.index->Find(word)) return std::move(*value);
  return FindKeyInText(platform::AnsiToWide(*block), word);
}

std::size_t CDataCache::MemoryBytes() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::size_t bytes = 0;
  for (const auto& [key, entry] : m_files)
    if (entry) bytes += key.first.capacity() + sizeof(Entry) + entry->file->MemoryBytes();
  for (const auto& [name, entry] : m_blocks)
    bytes += name.capacity() * sizeof(wchar_t) + sizeof(BlockEntry) + (entry.index ? entry.index->MemoryBytes() : 0);
  return bytes;
}

CDataCache& SharedDataCache() {
  static CDataCache cache;
  return cache;
}

}  // namespace qv
