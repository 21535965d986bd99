#include "core/dictionary/profile_file.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/codepage.h"
#include "platform/filestamp.h"
#include "platform/profile.h"

namespace qv {
namespace {

// The values read from each profile file, kept until the file's size or time changes; the file
// is compared with the disk at most once a second.
struct KeptProfile {
  platform::FileStamp stamp;
  std::chrono::steady_clock::time_point checked;
  std::map<std::tuple<std::wstring, std::wstring, std::wstring>, std::wstring> values;
};
std::mutex g_mutex;
std::map<std::wstring, KeptProfile>& KeptProfiles() {
  static std::map<std::wstring, KeptProfile> kept;
  return kept;
}

std::uint64_t g_forgotten = 0;

}  // namespace

std::uint64_t RefreshKeptProfiles() {
  std::lock_guard lock(g_mutex);
  const auto now = std::chrono::steady_clock::now();
  for (auto& [path, kept] : KeptProfiles()) {
    if (now - kept.checked < std::chrono::seconds(1)) continue;
    kept.checked = now;
    platform::FileStamp stamp = platform::StampOf(platform::WideToAnsi(path));
    if (stamp != kept.stamp) {
      kept.stamp = stamp;
      kept.values.clear();
      ++g_forgotten;
    }
  }
  return g_forgotten;
}

CProfileFile::CProfileFile(std::wstring_view path) {
  std::size_t n = std::min(path.size(), kPathChars - 1);
  std::copy_n(path.begin(), n, m_path.begin());
}

std::wstring CProfileFile::GetString(std::wstring_view section, std::wstring_view key,
                                     std::wstring_view def) const {
  const std::wstring path(Path());
  std::lock_guard lock(g_mutex);
  const auto now = std::chrono::steady_clock::now();
  auto [it, added] = KeptProfiles().try_emplace(path);
  KeptProfile& kept = it->second;
  if (added || now - kept.checked >= std::chrono::seconds(1)) {
    kept.checked = now;
    platform::FileStamp stamp = platform::StampOf(platform::WideToAnsi(path));
    if (added || stamp != kept.stamp || !stamp.exists) {
      if (!added && stamp != kept.stamp) ++g_forgotten;
      kept.stamp = stamp;
      kept.values.clear();
    }
  }
  auto [value, fresh] = kept.values.try_emplace({std::wstring(section), std::wstring(key), std::wstring(def)});
  if (fresh) value->second = platform::ReadProfileString(section, key, def, kValueChars, path);
  return value->second;
}

}  // namespace qv
