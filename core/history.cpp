#include "core/history.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/casemap.h"
#include "platform/codepage.h"
#include "platform/savefile.h"

namespace qv {
namespace {

constexpr std::uint32_t kMaxCount = 1000000000;

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

// A field holds no tab and no line break: they would split the line.
std::string Field(const std::wstring& text) {
  std::wstring clean = text;
  for (wchar_t& c : clean)
    if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
  return platform::WideToUtf8(clean);
}

bool DecodeField(std::string_view bytes, std::wstring& out) {
  out = platform::Utf8ToWide(bytes);
  return out.find(L'\uFFFD') == std::wstring::npos;
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

CHistory::CHistory(std::filesystem::path file) : m_file(std::move(file)) {}

std::filesystem::path CHistory::DamagedFile() const {
  std::filesystem::path p = m_file;
  p.replace_filename(m_file.stem().native() + std::filesystem::path(".damaged").native() +
                     m_file.extension().native());
  return p;
}

std::string CHistory::FormatLine(const HistoryEntry& e) {
  return Field(e.word) + "\t" + Field(e.base) + "\t" + Field(e.french) + "\t" +
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

void CHistory::Load() {
  m_entries.clear();
  std::ifstream in(m_file, std::ios::binary);
  if (!in) return;
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (all.compare(0, 3, "\xEF\xBB\xBF") == 0) all.erase(0, 3);
  std::string damaged;
  std::string_view rest = all;
  while (!rest.empty()) {
    std::size_t nl = rest.find('\n');
    std::string_view line = rest.substr(0, nl);
    rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    HistoryEntry e;
    if (!ParseLine(line, e)) {
      damaged.append(line).push_back('\n');
      continue;
    }
    platform::LowerInPlace(e.word);
    const bool repeated = std::any_of(m_entries.begin(), m_entries.end(),
                                      [&](const HistoryEntry& o) { return o.word == e.word; });
    if (!repeated && m_entries.size() < kMaxEntries) m_entries.push_back(std::move(e));
  }
  if (!damaged.empty()) {
    std::ofstream aside(DamagedFile(), std::ios::binary | std::ios::app);
    aside << damaged;
  }
}

bool CHistory::Record(std::wstring word, std::wstring base, std::wstring french, std::int64_t now) {
  platform::LowerInPlace(word);
  if (!m_enabled || word.empty()) return false;
  HistoryEntry e{std::move(word), std::move(base), std::move(french), 1, now};
  auto it = std::find_if(m_entries.begin(), m_entries.end(),
                         [&](const HistoryEntry& o) { return o.word == e.word; });
  if (it != m_entries.end()) {
    e.count = std::min(it->count, kMaxCount - 1) + 1;
    if (e.base.empty()) e.base = it->base;
    if (e.french.empty()) e.french = it->french;
    m_entries.erase(it);
  }
  m_entries.insert(m_entries.begin(), std::move(e));
  if (m_entries.size() > kMaxEntries) m_entries.resize(kMaxEntries);
  return Save();
}

bool CHistory::Clear() {
  m_entries.clear();
  return Save();
}

bool CHistory::Save() const {
  std::string bytes;
  for (const HistoryEntry& e : m_entries) bytes += FormatLine(e);
  return WriteFileSafely(m_file, bytes);
}

}  // namespace qv
