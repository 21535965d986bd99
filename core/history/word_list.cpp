#include "core/history/word_list.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <unordered_map>

#include "core/dictionary/dict_source.h"
#include "platform/casemap.h"
#include "platform/codepage.h"
#include "platform/resources.h"
#include "platform/textfile.h"

namespace qv {
namespace {

using Counts = std::unordered_map<std::string, std::uint32_t>;

constexpr std::size_t kMaxKeyBytes = 64;
constexpr const char* kIndexFiles[] = {"index.noun", "index.verb", "index.adj", "index.adv"};

// The whole file, or nothing when it cannot be read.
std::string ReadAll(const std::string& path) {
  platform::UniqueFile f(platform::detail::OpenForReading(path));
  std::string out;
  if (!f) return out;
  char buf[1 << 16];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, f.get())) out.append(buf, n);
  return out;
}

// Calls f(line) for every line, without its CR LF.
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
  while (!text.empty()) {
    std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    f(line);
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
}

std::string_view KeyOf(std::string_view line) { return line.substr(0, line.find('=')); }

// WordNet writes the spaces of a lemma as underscores; the dictionary and the user type spaces.
std::string Lemma(std::string_view token) {
  std::string s(token);
  std::replace(s.begin(), s.end(), '_', ' ');
  return s;
}

std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t pos = 0;
  while (pos < line.size()) {
    std::size_t end = line.find(' ', pos);
    if (end == std::string_view::npos) end = line.size();
    if (end > pos) out.push_back(line.substr(pos, end - pos));
    pos = end + 1;
  }
  return out;
}

// Sense-tag counts per lemma, summed over its senses: "lemma%sense-key sense-number count".
Counts ReadTagCounts(const std::string& text) {
  Counts counts;
  ForEachLine(text, [&](std::string_view line) {
    std::vector<std::string_view> t = Tokens(line);
    if (t.size() != 3) return;
    std::size_t pct = t[0].find('%');
    if (pct == std::string_view::npos || pct == 0) return;
    counts[Lemma(t[0].substr(0, pct))] += static_cast<std::uint32_t>(std::strtoul(std::string(t[2]).c_str(), nullptr, 10));
  });
  return counts;
}

std::uint32_t CountOf(const Counts& counts, const std::string& key) {
  auto it = counts.find(key);
  return it == counts.end() ? 0 : it->second;
}

}  // namespace

void CWordList::Add(std::string_view key, std::uint32_t frequency) {
  if (key.empty() || key.size() > kMaxKeyBytes || key.front() == ' ') return;
  for (char c : key)
    if (static_cast<unsigned char>(c) < 0x20) return;
  m_entries.push_back({static_cast<std::uint32_t>(m_keys.size()), frequency});
  for (char c : key) m_keys.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  m_keys.push_back('\0');
}

void CWordList::Finish() {
  std::sort(m_entries.begin(), m_entries.end(), [&](const Entry& a, const Entry& b) {
    int c = Key(a).compare(Key(b));
    return c < 0 || (c == 0 && a.frequency > b.frequency);
  });
  // The first of equal keys has the highest frequency; the keys are copied anew, without the
  // duplicates.
  std::string keys;
  std::vector<Entry> entries;
  for (const Entry& e : m_entries) {
    if (!entries.empty() && Key(e) == std::string_view(keys.data() + entries.back().offset)) continue;
    entries.push_back({static_cast<std::uint32_t>(keys.size()), e.frequency});
    keys.append(Key(e));
    keys.push_back('\0');
  }
  keys.shrink_to_fit();
  entries.shrink_to_fit();
  m_keys = std::move(keys);
  m_entries = std::move(entries);
}

CWordList CWordList::Load(const std::string& home, const std::string& wordNetDir) {
  return Load(home, wordNetDir, ReadAll);
}

CWordList CWordList::Load(const std::string& home, const std::string& wordNetDir,
                          const FileReader& read) {
  CWordList list;
  const std::string wn = wordNetDir.empty() || wordNetDir.back() == '\\' ? wordNetDir
                                                                         : wordNetDir + "\\";
  Counts counts = ReadTagCounts(read(wn + "cntlist.rev"));
  const bool haveCounts = !counts.empty();

  // WordNet's index: "lemma pos synset_cnt p_cnt [ptr_symbol...] sense_cnt tagsense_cnt ...".
  // Its licence lines begin with a space.
  std::vector<std::string> lemmas;
  for (const char* name : kIndexFiles) {
    ForEachLine(read(wn + name), [&](std::string_view line) {
      if (line.empty() || line.front() == ' ') return;
      std::vector<std::string_view> t = Tokens(line);
      if (t.size() < 6) return;
      std::string lemma = Lemma(t[0]);
      if (!haveCounts) {
        std::size_t pointers = std::strtoul(std::string(t[3]).c_str(), nullptr, 10);
        if (5 + pointers < t.size())
          counts[lemma] += static_cast<std::uint32_t>(
              std::strtoul(std::string(t[5 + pointers]).c_str(), nullptr, 10));
      }
      lemmas.push_back(std::move(lemma));
    });
  }
  for (const std::string& lemma : lemmas) list.Add(lemma, CountOf(counts, lemma));

  // The part-of-speech lists come most used first, an inflected form beside its base form: a
  // key WordNet has no count for takes the frequency of the line before it.
  for (const char* name : kPartOfSpeechFiles) {
    std::uint32_t carry = 0;
    ForEachLine(read(home + name), [&](std::string_view line) {
      std::string key(KeyOf(line));
      std::uint32_t f = CountOf(counts, key);
      if (f == 0) f = carry;
      carry = f;
      list.Add(key, f);
    });
  }

  // The main dictionary: the blocks the catalog names ("a=#223" ... "other=#235").
  std::vector<std::string> blocks;
  ForEachLine(read(home + "dict\\qvdict.catalog"), [&](std::string_view line) {
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq + 1 >= line.size() || line[eq + 1] != '#') return;
    std::string name(line.substr(eq + 1));
    if (std::find(blocks.begin(), blocks.end(), name) == blocks.end()) blocks.push_back(name);
  });
  for (const std::string& name : blocks) {
    std::optional<std::string_view> block = platform::FindBlock(L"DICT", platform::AnsiToWide(name));
    if (!block) continue;
    ForEachLine(*block, [&](std::string_view line) {
      std::string key(KeyOf(line));
      list.Add(key, CountOf(counts, key));
    });
  }
  list.Finish();
  return list;
}

std::vector<std::wstring> CWordList::Suggest(std::wstring prefix, std::size_t max) const {
  std::vector<std::wstring> out;
  platform::LowerInPlace(prefix);
  const std::string p = platform::WideToAnsi(prefix);
  // A character the dictionary's code page cannot hold begins no key.
  if (p.empty() || platform::AnsiToWide(p) != prefix) return out;
  auto lo = std::lower_bound(m_entries.begin(), m_entries.end(), std::string_view(p),
                             [&](const Entry& e, std::string_view k) { return Key(e) < k; });
  auto hi = lo;
  while (hi != m_entries.end() && Key(*hi).substr(0, p.size()) == p) ++hi;
  std::vector<const Entry*> range;
  range.reserve(static_cast<std::size_t>(hi - lo));
  for (auto it = lo; it != hi; ++it) range.push_back(&*it);
  const std::size_t n = std::min(max, range.size());
  // The range is in key order already: among equal frequencies the earlier entry comes first.
  std::partial_sort(range.begin(), range.begin() + static_cast<std::ptrdiff_t>(n), range.end(),
                    [](const Entry* a, const Entry* b) {
                      return a->frequency != b->frequency ? a->frequency > b->frequency : a < b;
                    });
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) out.push_back(platform::AnsiToWide(Key(*range[i])));
  return out;
}

std::size_t CWordList::Bytes() const {
  return m_keys.capacity() + m_entries.capacity() * sizeof(Entry) + sizeof *this;
}

}  // namespace qv
