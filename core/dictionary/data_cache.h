// The dictionary store's files and blocks, read once and kept in memory with an index, so that
// a look-up neither opens a file nor scans one. One thread at a time: the program fills it on
// a warm-up thread while its window may already look a word up. A kept file is compared with the disk (its size
// and last write time) at most once per check interval, and read again when it changed. The
// answers are the ones FindKeyInFile and FindKeyInText give on the same bytes; a file the index
// cannot answer exactly (a UTF-16 file, a line longer than the line buffer) is scanned as before.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "platform/filestamp.h"
#include "platform/textfile.h"

namespace qv {

class CKeyFile;
class CBlockIndex;

class CDataCache {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kCheckInterval{1000};

  explicit CDataCache(std::function<Clock::time_point()> now = Clock::now);
  ~CDataCache();
  CDataCache(const CDataCache&) = delete;
  CDataCache& operator=(const CDataCache&) = delete;

  // What FindKeyInFile gives for the file at `path` (8-bit, Windows form) read with `encoding`.
  std::wstring FindKey(const std::string& path, platform::TextEncoding encoding, std::wstring_view key);
  // What FindKeyInText gives for the built-in DICT block `name` decoded from the system code
  // page; empty when there is no such block.
  std::wstring FindInBlock(const std::wstring& name, std::wstring_view word);

  // Grows each time a kept file is found changed on disk.
  std::uint64_t Generation() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_generation;
  }
  // Compares the kept files whose check is due with the disk, forgets the changed ones, and
  // returns the generation.
  std::uint64_t Refresh();
  // The memory the kept bytes and indexes take.
  std::size_t MemoryBytes() const;
  // How often a kept file is compared with the disk.
  void SetCheckInterval(std::chrono::milliseconds interval) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_interval = interval;
  }

 private:
  struct Entry;
  struct BlockEntry {
    const char* data = nullptr;  // the block the index was made for
    std::size_t size = 0;
    int uses = 0;
    std::unique_ptr<CBlockIndex> index;
  };
  const CKeyFile& File(const std::string& path, platform::TextEncoding encoding);

  mutable std::mutex m_mutex;
  std::function<Clock::time_point()> m_now;
  std::chrono::milliseconds m_interval = kCheckInterval;
  std::map<std::pair<std::string, platform::TextEncoding>, std::unique_ptr<Entry>> m_files;
  std::map<std::wstring, BlockEntry> m_blocks;
  std::uint64_t m_generation = 0;
};

// The cache the program's dictionary store uses.
CDataCache& SharedDataCache();

}  // namespace qv
