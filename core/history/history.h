// The history of look-ups: the last 500 words looked up, most recent first, one entry per word.
// It is kept per user in a UTF-8 file of tab-separated lines (word, base form, main French,
// count, last time in UTC); a backslash, tab, line break or unpaired surrogate in a field is
// written as an escape, so that every text reads back as it was written.
//
// Nothing the user has is lost:
// - Only a missing file is an empty history. A file that exists but cannot be read (a virus
//   scanner or a backup tool holds it, an access entry denies it) is neither written over nor
//   cleared; the owner is told once.
// - The file is read only up to kMaxFileBytes. A file with lines that cannot be read, or
//   longer than that, is set aside once: renamed to "history.damaged-<UTC time>.tsv", never
//   copied, and a history of the lines that could be read takes its place.
// - Each write takes a lock file beside the history, reads the file again and applies the new
//   look-ups to what it holds, so that two instances of one user (two sessions) keep each
//   other's words. It writes a temporary file of its own, forced to the disk, then renamed over
//   the history.
// - The writes happen on a thread of their own: Record returns at once, and the look-ups of a
//   burst (the popup records a word at each hover) go to the file in one write.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace qv {

struct HistoryEntry {
  std::wstring word;    // as looked up, lower-cased
  std::wstring base;    // its base form, or empty
  std::wstring french;  // the main translation, or empty
  std::uint32_t count = 1;
  std::int64_t last = 0;  // seconds since 1970-01-01 UTC
  bool operator==(const HistoryEntry&) const = default;
};

class CHistory {
 public:
  static constexpr std::size_t kMaxEntries = 500;
  static constexpr std::uint32_t kMaxCount = 1000000000;
  static constexpr std::size_t kMaxFileBytes = 1 << 20;
  // The times a line can hold: years 0000 to 9999.
  static constexpr std::int64_t kMinTime = -62167219200, kMaxTime = 253402300799;

  // What the owner is told about, once in the history's life: the file could not be read, or a
  // change could not be written (or cleared).
  enum class Trouble { Unreadable, NotWritten };
  using TroubleHandler = std::function<void(Trouble)>;

  // `tell` may be called on the writing thread.
  explicit CHistory(std::filesystem::path file, TroubleHandler tell = {});
  // Writes what is still queued.
  ~CHistory();
  CHistory(const CHistory&) = delete;
  CHistory& operator=(const CHistory&) = delete;

  // Reads the file (see above).
  void Load();

  // Puts the word at the top (its count increased when it was there already) and queues the
  // write. Nothing happens while the history is switched off or for an empty word. True when
  // the entries changed.
  bool Record(std::wstring word, std::wstring base, std::wstring french, std::int64_t now);
  // Empties the history and its file, now. False when the file could not be emptied (or read):
  // the entries are then as they were.
  bool Clear();
  // Waits until the queued writes are done; false when the last write failed.
  bool Flush();
  // Takes the entries as the last write left the file (with another instance's words), when
  // nothing is queued. True when they changed.
  bool Refresh();

  void SetEnabled(bool enabled) { m_enabled = enabled; }
  bool Enabled() const { return m_enabled; }
  const std::vector<HistoryEntry>& Entries() const { return m_entries; }
  const std::filesystem::path& File() const { return m_file; }

  // One line of the file (with its line feed), and back. A line holds any entry whose word is
  // not empty, whose count is 1 to kMaxCount and whose time is kMinTime to kMaxTime.
  static std::string FormatLine(const HistoryEntry& entry);
  static bool ParseLine(std::string_view line, HistoryEntry& entry);
  // A whole file: its entries in order, words lower-cased, without repeats, at most
  // kMaxEntries; `damaged` tells whether any line could not be read.
  static std::vector<HistoryEntry> ParseFile(std::string_view bytes, bool& damaged);

 private:
  enum class ReadState { Missing, Read, Unreadable };
  struct Disk {
    ReadState state = ReadState::Missing;
    std::vector<HistoryEntry> entries;
    bool damaged = false;
  };

  static void Apply(std::vector<HistoryEntry>& entries, const HistoryEntry& lookup);
  std::filesystem::path LockFile() const;
  Disk ReadDisk() const;
  bool SetAside(const std::vector<HistoryEntry>& entries) const;
  bool WriteLocked(const std::vector<HistoryEntry>& lookups, std::vector<HistoryEntry>& result);
  void Tell(Trouble trouble);
  void Queue(HistoryEntry lookup);
  void WriterLoop();

  std::filesystem::path m_file;
  TroubleHandler m_tell;
  std::vector<HistoryEntry> m_entries;
  bool m_enabled = true;

  // Shared with the writer thread, under m_mutex.
  std::mutex m_mutex;
  std::condition_variable m_wake, m_idle;
  std::vector<HistoryEntry> m_pending;  // one per word, count = look-ups since the last write
  std::uint64_t m_queued = 0, m_tried = 0;  // look-ups queued; their number at the last write
  bool m_busy = false, m_flush = false, m_stop = false, m_lastOk = true, m_told = false;
  std::optional<std::vector<HistoryEntry>> m_written;  // the file as the last write left it
  std::thread m_writer;
};

// "2026-12-07T13:45:19Z" and back (false for any other text).
std::string FormatUtcTime(std::int64_t seconds);
bool ParseUtcTime(std::string_view text, std::int64_t& seconds);

// Writes the bytes to a temporary file beside `file`, then puts it in the place of `file`.
// The folder is created when it is missing. False when anything fails; `file` is then as it was.
bool WriteFileSafely(const std::filesystem::path& file, std::string_view bytes);

}  // namespace qv
