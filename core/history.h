// The history of look-ups: the last 500 words looked up, most recent first, one entry per word.
// It is kept per user in a UTF-8 file of tab-separated lines (word, base form, main French,
// count, last time in UTC), written whole to a temporary file that then replaces the old one,
// so that a failure in the middle of a write never leaves half a history. Lines that cannot be
// read are left out and appended to a file beside it ("history.damaged.tsv"), so that nothing
// the user had is lost by the next write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qv {

struct HistoryEntry {
  std::wstring word;    // as looked up, lower-cased
  std::wstring base;    // its base form, or empty
  std::wstring french;  // the main translation, or empty
  std::uint32_t count = 1;
  std::int64_t last = 0;  // seconds since 1970-01-01 UTC
};

class CHistory {
 public:
  static constexpr std::size_t kMaxEntries = 500;

  explicit CHistory(std::filesystem::path file);

  // Reads the file. A missing file gives an empty history; a damaged one the entries that could
  // be read, the others set aside.
  void Load();

  // Puts the word at the top (its count increased when it was there already) and writes the
  // file. Nothing happens while the history is switched off or for an empty word. True when the
  // file was written.
  bool Record(std::wstring word, std::wstring base, std::wstring french, std::int64_t now);
  // Empties the history and writes the empty file.
  bool Clear();

  void SetEnabled(bool enabled) { m_enabled = enabled; }
  bool Enabled() const { return m_enabled; }
  const std::vector<HistoryEntry>& Entries() const { return m_entries; }
  const std::filesystem::path& File() const { return m_file; }
  std::filesystem::path DamagedFile() const;

  // One line of the file, and back; nullopt-like false for a line that cannot be read.
  static std::string FormatLine(const HistoryEntry& entry);
  static bool ParseLine(std::string_view line, HistoryEntry& entry);

 private:
  bool Save() const;

  std::filesystem::path m_file;
  std::vector<HistoryEntry> m_entries;
  bool m_enabled = true;
};

// "2026-12-07T13:45:19Z" and back (false for any other text).
std::string FormatUtcTime(std::int64_t seconds);
bool ParseUtcTime(std::string_view text, std::int64_t& seconds);

// Writes the bytes to a temporary file beside `file`, then puts it in the place of `file`.
// The folder is created when it is missing. False when anything fails; `file` is then as it was.
bool WriteFileSafely(const std::filesystem::path& file, std::string_view bytes);

}  // namespace qv
