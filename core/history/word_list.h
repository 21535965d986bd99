// The words the look-up window suggests as the user types: every key the dictionary already
// has (the main dictionary's blocks, the part-of-speech lists and WordNet's index), each with a
// frequency, sorted once so that the words beginning with a prefix are one contiguous range.
// Loading reads a few megabytes; a suggestion is a binary search and a partial sort of one
// range, so it costs microseconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class CWordList {
 public:
  static constexpr std::size_t kMaxSuggestions = 50;

  // Reads the keys of the catalog's blocks, of the four lists in HOME\dict and of WordNet's
  // index in wordNetDir, with the sense-tag counts of WordNet's cntlist.rev as frequencies
  // (where a database lacks that file, the index's tagged-sense counts). Missing sources add
  // nothing. home ends with a separator; both are 8-bit paths in Windows form.
  static CWordList Load(const std::string& home, const std::string& wordNetDir);
  // The same with the files' contents from `read` (a path in, the whole file or nothing out).
  using FileReader = std::function<std::string(const std::string& path)>;
  static CWordList Load(const std::string& home, const std::string& wordNetDir,
                        const FileReader& read);

  // Adds one key with its frequency; Finish() must follow the last one.
  void Add(std::string_view key, std::uint32_t frequency);
  // Sorts and merges duplicates (the higher frequency stays).
  void Finish();

  // Up to `max` words that begin with the prefix (letter case ignored), most frequent first,
  // then in alphabetical order.
  std::vector<std::wstring> Suggest(std::wstring prefix, std::size_t max = kMaxSuggestions) const;

  std::size_t Size() const { return m_entries.size(); }
  // Memory the list holds, in bytes.
  std::size_t Bytes() const;

 private:
  struct Entry {
    std::uint32_t offset;  // of the key in m_keys, which ends with a null
    std::uint32_t frequency;
  };
  std::string_view Key(const Entry& e) const { return m_keys.data() + e.offset; }

  std::string m_keys;  // Windows-1252, as the dictionary's keys are
  std::vector<Entry> m_entries;
};

}  // namespace qv
