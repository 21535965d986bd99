#include "core/history/history.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <limits>
#include <system_error>
#include <type_traits>

#include "platform/casemap.h"
#include "platform/savefile.h"
#include "platform/trace.h"
#include "platform/utf8.h"

namespace qv {
namespace {

// How long a write waits for another instance's write, and a burst of look-ups for its end.
constexpr unsigned kLockWaitMs = 5000;
constexpr auto kBurst = std::chrono::milliseconds(300);

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

bool Digits(std::string_view s, std::size_t count, unsigned& value) {
  if (s.size() != count) return false;
  value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return true;
}

constexpr char kHex[] = "0123456789ABCDEF";

// A field's text as UTF-8 with escapes: "\\", "\t", "\n", "\r", and "\U" with eight hex
// digits for a unit no UTF-8 can hold (an unpaired surrogate; where wchar_t is 32 bits, a value
// past U+10FFFF) and for U+FEFF.
std::string EncodeField(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    // Where wchar_t is 32 bits each unit is a character of its own, even a surrogate.
    char32_t c;
    if constexpr (sizeof(wchar_t) == 2)
      c = platform::NextCodePoint(text, i);
    else
      c = static_cast<char32_t>(text[i++]);
    switch (c) {
      case U'\\': out += "\\\\"; break;
      case U'\t': out += "\\t"; break;
      case U'\n': out += "\\n"; break;
      case U'\r': out += "\\r"; break;
      default:
        // A byte-order mark at the start of the file would be taken for the file's own.
        if (platform::IsSurrogate(c) || c > 0x10FFFF || c == 0xFEFF) {
          out += "\\U";
          for (int shift = 28; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
        } else {
          platform::AppendUtf8(c, out);
        }
    }
  }
  return out;
}

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// The reverse of EncodeField: false for bytes that are not UTF-8, or an escape that is cut
// short or names a unit this wchar_t cannot hold. A backslash before any other character is
// taken as it is (files of earlier versions did not escape it).
bool DecodeField(std::string_view bytes, std::wstring& out) {
  std::wstring text;
  platform::DecodeUtf8(bytes, text);
  // The decoder turns each invalid sequence into U+FFFD: any more of them than the bytes spell
  // out means invalid UTF-8.
  std::size_t spelled = 0;
  for (std::size_t at = bytes.find("\xEF\xBF\xBD"); at != std::string_view::npos;
       at = bytes.find("\xEF\xBF\xBD", at + 3))
    ++spelled;
  if (static_cast<std::size_t>(std::count(text.begin(), text.end(), L'\uFFFD')) != spelled)
    return false;
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const wchar_t next = text[i + 1];
    if (next == L'\\' || next == L't' || next == L'n' || next == L'r') {
      out += next == L't' ? L'\t' : next == L'n' ? L'\n' : next == L'r' ? L'\r' : L'\\';
      ++i;
    } else if (next == L'U') {
      if (i + 10 > text.size()) return false;
      std::uint32_t value = 0;
      for (std::size_t k = i + 2; k < i + 10; ++k) {
        const int digit = HexValue(text[k]);
        if (digit < 0) return false;
        value = value << 4 | static_cast<std::uint32_t>(digit);
      }
      if (value > std::numeric_limits<std::make_unsigned_t<wchar_t>>::max()) return false;
      out += static_cast<wchar_t>(value);
      i += 9;
    } else {
      out += text[i];
    }
  }
  return true;
}

// "history.tsv" -> "history.<middle>.tsv"
std::filesystem::path Beside(const std::filesystem::path& file, const std::string& middle) {
  std::filesystem::path p = file;
  p.replace_filename(file.stem().native() + std::filesystem::path(middle).native() +
                     file.extension().native());
  return p;
}

}  // namespace

std::string FormatUtcTime(std::int64_t seconds) {
  std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  std::int64_t rest = seconds - days * 86400;
  std::int64_t y;
  unsigned m, d;
  CivilFromDays(days, y, m, d);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02u:%02u:%02uZ", static_cast<long long>(y), m, d,
                static_cast<unsigned>(rest / 3600), static_cast<unsigned>(rest / 60 % 60),
                static_cast<unsigned>(rest % 60));
  return buf;
}

bool ParseUtcTime(std::string_view t, std::int64_t& seconds) {
  unsigned y, mo, d, h, mi, s;
  if (t.size() != 20 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' ||
      t[16] != ':' || t[19] != 'Z')
    return false;
  if (!Digits(t.substr(0, 4), 4, y) || !Digits(t.substr(5, 2), 2, mo) ||
      !Digits(t.substr(8, 2), 2, d) || !Digits(t.substr(11, 2), 2, h) ||
      !Digits(t.substr(14, 2), 2, mi) || !Digits(t.substr(17, 2), 2, s))
    return false;
  static constexpr unsigned kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (mo < 1 || mo > 12 || d < 1 || d > kDays[mo - 1] || h > 23 || mi > 59 || s > 59) return false;
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (mo == 2 && d == 29 && !leap) return false;
  seconds = DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
  return true;
}

bool WriteFileSafely(const std::filesystem::path& file, std::string_view bytes) {
  std::error_code ec;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
  return platform::SaveFileReplacing(file, bytes);
}

std::string CHistory::FormatLine(const HistoryEntry& e) {
  return EncodeField(e.word) + "\t" + EncodeField(e.base) + "\t" + EncodeField(e.french) + "\t" +
         std::to_string(e.count) + "\t" + FormatUtcTime(e.last) + "\n";
}

bool CHistory::ParseLine(std::string_view line, HistoryEntry& e) {
  std::string_view f[5];
  for (int i = 0; i < 5; ++i) {
    std::size_t tab = line.find('\t');
    if ((tab == std::string_view::npos) != (i == 4)) return false;
    f[i] = line.substr(0, tab);
    line.remove_prefix(tab == std::string_view::npos ? line.size() : tab + 1);
  }
  if (f[3].empty() || f[3].size() > 10) return false;
  unsigned long long count = 0;
  for (char c : f[3]) {
    if (c < '0' || c > '9') return false;
    count = count * 10 + static_cast<unsigned>(c - '0');
  }
  if (count == 0 || count > kMaxCount) return false;
  e.count = static_cast<std::uint32_t>(count);
  return ParseUtcTime(f[4], e.last) && DecodeField(f[0], e.word) && !e.word.empty() &&
         DecodeField(f[1], e.base) && DecodeField(f[2], e.french);
}

std::vector<HistoryEntry> CHistory::ParseFile(std::string_view rest, bool& damaged) {
  std::vector<HistoryEntry> entries;
  damaged = false;
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  while (!rest.empty()) {
    std::size_t nl = rest.find('\n');
    std::string_view line = rest.substr(0, nl);
    rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    HistoryEntry e;
    if (!ParseLine(line, e)) {
      damaged = true;
      continue;
    }
    platform::LowerInPlace(e.word);
    const bool repeated = std::any_of(entries.begin(), entries.end(),
                                      [&](const HistoryEntry& o) { return o.word == e.word; });
    if (!repeated && entries.size() < kMaxEntries) entries.push_back(std::move(e));
  }
  return entries;
}

CHistory::CHistory(std::filesystem::path file, TroubleHandler tell)
    : m_file(std::move(file)), m_tell(std::move(tell)) {}

CHistory::~CHistory() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_all();
  if (m_writer.joinable()) m_writer.join();
}

std::filesystem::path CHistory::LockFile() const {
  std::filesystem::path p = m_file;
  return p.replace_filename(m_file.filename().native() + std::filesystem::path(".lock").native());
}

void CHistory::Tell(Trouble trouble) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_told) return;
    m_told = true;
  }
  platform::TraceFailure(trouble == Trouble::Unreadable ? L"reading the history"
                                                        : L"writing the history");
  if (m_tell) m_tell(trouble);
}

CHistory::Disk CHistory::ReadDisk() const {
  Disk disk;
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(m_file, ec);
  if (status.type() == std::filesystem::file_type::not_found) return disk;
  disk.state = ReadState::Unreadable;
  if (ec || status.type() != std::filesystem::file_type::regular) return disk;
  std::ifstream in(m_file, std::ios::binary);
  if (!in) return disk;
  // One byte past the cap tells a file that is longer.
  const std::uintmax_t size = std::filesystem::file_size(m_file, ec);
  std::string bytes(ec ? kMaxFileBytes + 1 : std::min<std::uintmax_t>(size + 1, kMaxFileBytes + 1),
                    '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return disk;
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  bool over = false;
  if (bytes.size() > kMaxFileBytes) {
    over = true;
    const std::size_t nl = bytes.rfind('\n', kMaxFileBytes - 1);
    bytes.resize(nl == std::string::npos ? 0 : nl + 1);
  }
  disk.entries = ParseFile(bytes, disk.damaged);
  disk.damaged = disk.damaged || over;
  disk.state = ReadState::Read;
  return disk;
}

bool CHistory::SetAside(const std::vector<HistoryEntry>& entries) const {
  char stamp[32];
  std::string time = FormatUtcTime(static_cast<std::int64_t>(std::time(nullptr)));
  time.erase(std::remove(time.begin(), time.end(), ':'), time.end());
  time.erase(std::remove(time.begin(), time.end(), '-'), time.end());
  std::filesystem::path aside;
  std::error_code ec;
  for (int n = 1;; ++n) {
    std::snprintf(stamp, sizeof stamp, n == 1 ? ".damaged-%s" : ".damaged-%s-%d", time.c_str(), n);
    aside = Beside(m_file, stamp);
    if (!std::filesystem::exists(aside, ec) && !ec) break;
    if (n == 100) return false;
  }
  // Moved, not copied: the file leaves as it was, whatever its size.
  std::filesystem::rename(m_file, aside, ec);
  if (ec) return false;
  std::string bytes;
  for (const HistoryEntry& e : entries) bytes += FormatLine(e);
  if (WriteFileSafely(m_file, bytes)) return true;
  std::filesystem::rename(aside, m_file, ec);
  return false;
}

void CHistory::Load() {
  m_entries.clear();
  const platform::FileLock lock(LockFile(), kLockWaitMs);
  Disk disk = ReadDisk();
  if (disk.state == ReadState::Unreadable) {
    Tell(Trouble::Unreadable);
    return;
  }
  m_entries = std::move(disk.entries);
  // Without the lock another instance may be writing: the file is left for later.
  if (disk.damaged && lock && !SetAside(m_entries))
    platform::TraceFailure(L"setting the damaged history aside");
}

void CHistory::Apply(std::vector<HistoryEntry>& entries, const HistoryEntry& lookup) {
  HistoryEntry e = lookup;
  auto it = std::find_if(entries.begin(), entries.end(),
                         [&](const HistoryEntry& o) { return o.word == e.word; });
  if (it != entries.end()) {
    e.count = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t{it->count} + e.count, kMaxCount));
    if (e.base.empty()) e.base = it->base;
    if (e.french.empty()) e.french = it->french;
    entries.erase(it);
  }
  entries.insert(entries.begin(), std::move(e));
  if (entries.size() > kMaxEntries) entries.resize(kMaxEntries);
}

bool CHistory::Record(std::wstring word, std::wstring base, std::wstring french, std::int64_t now) {
  platform::LowerInPlace(word);
  if (!m_enabled || word.empty()) return false;
  HistoryEntry e{std::move(word), std::move(base), std::move(french), 1,
                 std::clamp(now, kMinTime, kMaxTime)};
  Apply(m_entries, e);
  Queue(std::move(e));
  return true;
}

void CHistory::Queue(HistoryEntry lookup) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    Apply(m_pending, lookup);  // one per word, the look-ups counted; a word past 500 falls off
    ++m_queued;
    if (!m_writer.joinable()) {
      try {
        m_writer = std::thread([this] { WriterLoop(); });
      } catch (...) {
        platform::TraceFailure(L"starting the history's writer");  // the next look-up tries again
      }
    }
  }
  m_wake.notify_all();
}

void CHistory::WriterLoop() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    // After a failed write the look-ups wait for the next one, a flush or the end.
    m_wake.wait(lock, [&] { return m_stop || m_flush || (!m_pending.empty() && m_tried != m_queued); });
    if (m_pending.empty()) {
      m_flush = false;
      m_idle.notify_all();
      if (m_stop) return;
      continue;
    }
    if (!m_stop && !m_flush) {
      m_wake.wait_for(lock, kBurst, [&] { return m_stop || m_flush; });
      if (m_pending.empty()) continue;  // cleared meanwhile
    }
    std::vector<HistoryEntry> lookups;
    lookups.swap(m_pending);
    m_tried = m_queued;
    m_flush = false;
    m_busy = true;
    lock.unlock();
    std::vector<HistoryEntry> result;
    bool ok = false;
    try {
      ok = WriteLocked(lookups, result);
    } catch (...) {
      platform::TraceFailure(L"writing the history");
    }
    if (!ok) Tell(Trouble::NotWritten);
    lock.lock();
    m_busy = false;
    m_lastOk = ok;
    if (ok) {
      m_written = std::move(result);
    } else {
      // Kept for the next write, the newer look-ups on top.
      for (auto it = m_pending.rbegin(); it != m_pending.rend(); ++it) Apply(lookups, *it);
      m_pending.swap(lookups);
    }
    m_idle.notify_all();
    if (m_stop && (ok || m_tried == m_queued)) return;
  }
}

bool CHistory::WriteLocked(const std::vector<HistoryEntry>& lookups,
                           std::vector<HistoryEntry>& result) {
  std::error_code ec;
  if (m_file.has_parent_path()) std::filesystem::create_directories(m_file.parent_path(), ec);
  const platform::FileLock lock(LockFile(), kLockWaitMs);
  if (!lock) return false;
  Disk disk = ReadDisk();
  if (disk.state == ReadState::Unreadable) return false;
  // A damaged file leaves first, so that its unreadable lines are not lost by this write.
  if (disk.damaged && !SetAside(disk.entries)) return false;
  result = std::move(disk.entries);
  for (auto it = lookups.rbegin(); it != lookups.rend(); ++it) Apply(result, *it);
  std::string bytes;
  for (const HistoryEntry& e : result) bytes += FormatLine(e);
  return WriteFileSafely(m_file, bytes);
}

bool CHistory::Flush() {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_writer.joinable()) return m_pending.empty() && m_lastOk;
  m_flush = true;
  m_wake.notify_all();
  m_idle.wait(lock, [&] { return !m_busy && !m_flush; });
  return m_pending.empty() && m_lastOk;
}

bool CHistory::Refresh() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_written || m_busy || !m_pending.empty()) return false;
  const bool changed = *m_written != m_entries;
  m_entries = std::move(*m_written);
  m_written.reset();
  return changed;
}

bool CHistory::Clear() {
  // The writer waits meanwhile: what it has queued goes with the rest.
  std::unique_lock<std::mutex> state(m_mutex);
  m_idle.wait(state, [&] { return !m_busy; });
  std::error_code ec;
  if (m_file.has_parent_path()) std::filesystem::create_directories(m_file.parent_path(), ec);
  bool ok = false;
  {
    const platform::FileLock lock(LockFile(), kLockWaitMs);
    ok = lock && ReadDisk().state != ReadState::Unreadable && WriteFileSafely(m_file, "");
  }
  if (!ok) return false;  // the caller says so
  m_pending.clear();
  m_written.reset();
  m_entries.clear();
  return true;
}

}  // namespace qv
