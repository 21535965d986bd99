// The program's reader of the WordNet database: the index, data and exception files mapped into
// memory and searched there. Each step repeats what the library does over its files (its binary
// search, its morphology and the state it keeps between calls, its parsing of index and data
// lines, its participle trace), so that both readers give the same answers byte for byte; only
// the reads differ: no seek, no system call, no copy of a line that is not kept.
#include <algorithm>
#include <array>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/lexical/wnutil.h"
#include "core/lexical/wordnet.h"
#include "core/lookup/lookup_config.h"
#include "platform/filestamp.h"
#include "platform/mapped_file.h"

namespace qv::lexical {
namespace {

constexpr int kParts = 4;
constexpr const char* kPartNames[kParts + 1] = {"", "noun", "verb", "adj", "adv"};
constexpr int kVerb = 2;
constexpr int kNoun = 1;
constexpr int kAdj = 3;
constexpr int kAdv = 4;

// The library's buffer sizes, which cut what it reads.
constexpr std::size_t kWordBuf = 256;        // one word or collocation
constexpr std::size_t kSearchLine = 25 * 1024;  // a line its binary search reads
constexpr std::size_t kDataLine = 15 * 1024;    // a line of a data file
constexpr std::size_t kGlossBuf = 3 * 1024;     // a gloss
constexpr std::size_t kKeyLen = 1024;           // the key of a searched line

// The library builds its file names in 256-byte buffers; the same folders are refused here so
// that both readers open the same databases.
constexpr std::size_t kMaxDatabaseDir = 256 - sizeof("/sentidx.vrb") - 4;

// C's strtok over " \n": the next token, empty at the end.
class Tokens {
 public:
  explicit Tokens(std::string_view text) : m_text(text) {}
  std::string_view Next() {
    while (m_pos < m_text.size() && IsDelim(m_text[m_pos])) ++m_pos;
    const std::size_t start = m_pos;
    while (m_pos < m_text.size() && !IsDelim(m_text[m_pos])) ++m_pos;
    std::string_view token = m_text.substr(start, m_pos - start);
    if (m_pos < m_text.size()) ++m_pos;
    return token;
  }

 private:
  static bool IsDelim(char c) { return c == ' ' || c == '\n' || c == '\0'; }
  std::string_view m_text;
  std::size_t m_pos = 0;
};

// atol and strtol(…, 16) over a token, as C reads its leading part.
long Decimal(std::string_view s) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  long value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) value = value * 10 + (s[i] - '0');
  return negative ? -value : value;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

long Hex(std::string_view s) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X') &&
      i + 2 < s.size() && HexDigit(s[i + 2]) >= 0)
    i += 2;
  long value = 0;
  for (; i < s.size() && HexDigit(s[i]) >= 0; ++i) value = value * 16 + HexDigit(s[i]);
  return negative ? -value : value;
}

int PointerType(std::string_view symbol) {
  if (symbol == "!") return kAntonymPointer;
  if (symbol == "@") return kHypernymPointer;
  if (symbol == "<") return kParticiplePointer;
  if (symbol == "@i") return kInstancePointer;
  return 0;
}

int PosOf(char c) {
  switch (c) {
    case 'n': return kNoun;
    case 'v': return kVerb;
    case 'a':
    case 's': return kAdj;
    case 'r': return kAdv;
    default: return 0;
  }
}

// The library's strtolower: ASCII letters lowered, the text cut at its first "(".
void ToLowerCut(std::string& s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] >= 'A' && s[i] <= 'Z') {
      s[i] = static_cast<char>(s[i] + 32);
    } else if (s[i] == '(') {
      s.resize(i);
      break;
    }
  }
}

// A string as a C string sees it: cut at its first NUL.
std::string_view AsC(std::string_view s) { return s.substr(0, s.find('\0')); }

bool EndsWith(std::string_view s, std::string_view end) {
  return end.size() < s.size() && s.substr(s.size() - end.size()) == end;
}

int CountWords(std::string_view s, char separator) {
  int count = 0;
  auto isSep = [separator](char c) { return c == separator || c == ' ' || c == '_'; };
  for (std::size_t i = 0; i < s.size();) {
    if (isSep(s[i])) {
      ++count;
      while (i < s.size() && isSep(s[i])) ++i;
    } else {
      ++i;
    }
  }
  return count + 1;
}

struct Found {
  std::string_view line;  // the line as read, up to its line feed included
  std::size_t offset = 0;
};

// The library's binary search for the line that starts with key and a space. It is not a
// textbook one: it probes the line after each midpoint and stops when the step reaches zero,
// and a probe past the last line compares the previous line again. Its answers are kept.
std::optional<Found> BinarySearch(std::string_view file, std::string_view key) {
  key = AsC(key);
  const std::size_t size = file.size();
  auto lineAt = [&](std::size_t at) {
    std::size_t end = file.find('\n', at);
    end = end == std::string_view::npos ? size : end + 1;
    return file.substr(at, std::min(end - at, kSearchLine - 1));
  };
  std::string_view line;  // the last line read: it stays when a read finds the end of the file
  std::size_t lineOffset = 0;
  long top = 0;
  long bot = static_cast<long>(size);
  long mid = (bot - top) / 2;
  long diff = 666;
  int cmp = 0;
  do {
    std::size_t at = mid >= 1 ? static_cast<std::size_t>(mid - 1) : size;
    if (mid != 1) {
      std::size_t nl = at < size ? file.find('\n', at) : std::string_view::npos;
      at = nl == std::string_view::npos ? size : nl + 1;
    }
    lineOffset = at;
    if (at < size) line = lineAt(at);
    std::string_view text = AsC(line);
    std::size_t space = text.find(' ');
    if (space == std::string_view::npos || space > kKeyLen - 1) return std::nullopt;
    std::string_view lineKey = text.substr(0, space);
    cmp = lineKey.compare(key);
    if (cmp < 0) {
      top = mid;
      diff = (bot - top) / 2;
      mid = top + diff;
    } else if (cmp > 0) {
      bot = mid;
      diff = (bot - top) / 2;
      mid = top + diff;
    }
  } while (cmp != 0 && diff != 0);
  if (cmp != 0) return std::nullopt;
  return Found{line, lineOffset};
}

class CMappedWordNet final : public WordNet {
 public:
  bool OpenIn(const std::string& windowsDir) override;
  bool IsOpen() const override { return m_open; }
  std::optional<std::string> Morph(const std::string* word, int pos) override;
  std::vector<IndexEntry> Index(const std::string& form, int pos) override;
  std::optional<SynsetEntry> Synset(int pos, long offset, const std::string& word) override;
  std::string ParticipleTrace(const SynsetEntry& synset) override;

 private:
  std::optional<IndexEntry> IndexLookup(std::string_view word, int pos) const;
  bool IsDefined(const std::string& word, int pos);
  std::optional<std::string> MorphWord(const std::string& word, int pos);
  std::optional<std::string> MorphPrep(const std::string& s);
  std::optional<std::string> ExceptionLookup(const std::string* word, int pos);
  int SearchSense(const SynsetEntry& synset, int whichWord) const;
  std::string CatWord(const SynsetEntry& synset, int wordIndex, bool withAntonyms);
  std::string PrintSynset(std::string_view head, const SynsetEntry& synset, std::string_view tail,
                          bool withGloss, int wordNumber, bool withAntonyms);

  std::array<platform::MappedFile, kParts + 1> m_index;
  std::array<platform::MappedFile, kParts + 1> m_data;
  std::array<platform::MappedFile, kParts + 1> m_exceptions;
  bool m_open = false;
  bool m_tried = false;
  std::string m_failedDir;
  std::vector<platform::FileStamp> m_failedStamps;

  // The morphology's state between calls, as the library keeps it.
  std::string m_str;  // the word being analysed
  int m_svcnt = 0;
  int m_svprep = 0;
  // The exception line last found and where its next base form starts (npos: none).
  std::string m_excLine;
  std::size_t m_excEnd = std::string::npos;
};

// What tells one set of database files from another: their sizes and times.
std::vector<platform::FileStamp> DatabaseStamps(const std::string& dir) {
  std::vector<platform::FileStamp> stamps;
  for (int i = 1; i <= kParts; ++i)
    for (const char* kind : {"index.", "data.", ""})
      stamps.push_back(
          platform::StampOf(dir + "\\" + kind + kPartNames[i] + (*kind ? "" : ".exc")));
  return stamps;
}

// A data file cut short (a failed copy, a full disk) ends inside a synset: its last line is
// not a whole line that starts with its own offset. Such a database is not used, and a synset
// an index names past the end of a data file is never read.
bool EndsWithWholeSynset(std::string_view data) {
  if (data.empty() || data.back() != '\n') return false;
  std::size_t start = data.find_last_of('\n', data.size() - 2);
  start = start == std::string_view::npos ? 0 : start + 1;
  if (data[start] == ' ') return true;  // only the licence lines
  return Decimal(data.substr(start)) == static_cast<long>(start);
}

bool CMappedWordNet::OpenIn(const std::string& windowsDir) {
  if (m_open) return true;
  std::vector<platform::FileStamp> stamps = DatabaseStamps(windowsDir);
  if (m_tried && windowsDir == m_failedDir && stamps == m_failedStamps) return false;
  m_tried = true;
  bool complete = windowsDir.size() <= kMaxDatabaseDir;
  for (int i = 1; i <= kParts && complete; ++i) {
    const std::string part = kPartNames[i];
    m_index[i] = platform::MappedFile::Open(windowsDir + "\\index." + part);
    m_data[i] = platform::MappedFile::Open(windowsDir + "\\data." + part);
    m_exceptions[i] = platform::MappedFile::Open(windowsDir + "\\" + part + ".exc");
    complete = m_index[i].IsOpen() && m_data[i].IsOpen() && m_exceptions[i].IsOpen() &&
               EndsWithWholeSynset(m_data[i].Bytes());
  }
  m_open = complete;
  if (!m_open) {
    for (int i = 1; i <= kParts; ++i) {
      m_index[i] = {};
      m_data[i] = {};
      m_exceptions[i] = {};
    }
    m_failedDir = windowsDir;
    m_failedStamps = std::move(stamps);
  }
  return m_open;
}

std::optional<IndexEntry> CMappedWordNet::IndexLookup(std::string_view word, int pos) const {
  std::optional<Found> found = BinarySearch(m_index[pos].Bytes(), word);
  if (!found) return std::nullopt;
  Tokens tokens(found->line);
  IndexEntry entry;
  entry.word = tokens.Next();
  tokens.Next();  // part of speech
  entry.senseCount = static_cast<int>(Decimal(tokens.Next()));
  const long pointerKinds = Decimal(tokens.Next());
  if (pointerKinds < 0) return std::nullopt;
  for (long k = 0; k < pointerKinds; ++k) tokens.Next();
  const long offsetCount = Decimal(tokens.Next());
  tokens.Next();  // tagged sense count
  if (offsetCount < 0) return std::nullopt;
  entry.offsets.reserve(static_cast<std::size_t>(offsetCount));
  for (long k = 0; k < offsetCount; ++k)
    entry.offsets.push_back(static_cast<unsigned long>(Decimal(tokens.Next())));
  return entry;
}

std::vector<IndexEntry> CMappedWordNet::Index(const std::string& form, int pos) {
  std::vector<IndexEntry> entries;
  if (form.size() > kWordBuf - 1 || pos < 1 || pos > kParts) return entries;
  std::string search = form;
  ToLowerCut(search);
  // The form itself, with underscores as hyphens, with hyphens as underscores, without either,
  // without full stops; a variant the same as the form is not searched again.
  std::array<std::string, 5> strings;
  strings.fill(search);
  std::replace(strings[1].begin(), strings[1].end(), '_', '-');
  std::replace(strings[2].begin(), strings[2].end(), '-', '_');
  strings[3].clear();
  strings[4].clear();
  for (char c : search) {
    if (c != '_' && c != '-') strings[3] += c;
    if (c != '.') strings[4] += c;
  }
  for (std::size_t i = 0; i < strings.size(); ++i) {
    if (i > 0 && strings[i] == strings[0]) continue;
    if (std::optional<IndexEntry> entry = IndexLookup(strings[i], pos))
      entries.push_back(std::move(*entry));
  }
  return entries;
}

bool CMappedWordNet::IsDefined(const std::string& word, int pos) {
  return !Index(word, pos).empty();
}

std::optional<SynsetEntry> CMappedWordNet::Synset(int pos, long offset, const std::string& word) {
  if (pos < 1 || pos > kParts || offset < 0) return std::nullopt;
  std::string_view file = m_data[pos].Bytes();
  if (static_cast<std::size_t>(offset) >= file.size()) return std::nullopt;
  std::string_view rest = file.substr(static_cast<std::size_t>(offset));
  std::size_t end = rest.find('\n');
  end = end == std::string_view::npos ? rest.size() : end + 1;
  Tokens tokens(rest.substr(0, std::min(end, kDataLine - 1)));

  SynsetEntry synset;
  synset.offset = Decimal(tokens.Next());
  if (synset.offset != offset) return std::nullopt;
  tokens.Next();  // lexicographer file
  std::string_view kind = tokens.Next();
  if (kind.empty() || PosOf(kind[0]) == 0) return std::nullopt;
  synset.kind = kind[0];
  const long wordCount = Hex(tokens.Next());
  if (wordCount < 0) return std::nullopt;
  std::string lowered;
  for (long i = 0; i < wordCount; ++i) {
    std::string_view w = tokens.Next();
    synset.words.emplace_back(w);
    lowered.assign(w);
    ToLowerCut(lowered);
    if (lowered == word) synset.whichWord = static_cast<int>(i + 1);
    tokens.Next();  // lexical identifier
  }
  const long pointerCount = Decimal(tokens.Next());
  if (pointerCount < 0) return std::nullopt;
  synset.pointers.resize(static_cast<std::size_t>(pointerCount));
  for (SynsetPointer& p : synset.pointers) {
    p.type = PointerType(tokens.Next());
    p.offset = Decimal(tokens.Next());
    std::string_view ppos = tokens.Next();
    p.pos = ppos.empty() ? 0 : PosOf(ppos[0]);
    std::string_view fromTo = tokens.Next();
    p.from = static_cast<int>(Hex(fromTo.substr(0, 2)));
    p.to = static_cast<int>(Hex(fromTo.size() > 2 ? fromTo.substr(2, 2) : std::string_view()));
  }
  if (pos == kVerb) {
    const long frames = Decimal(tokens.Next());
    for (long i = 0; i < frames; ++i) {
      tokens.Next();  // "+"
      SynsetEntry::Frame frame;
      frame.id = static_cast<int>(Decimal(tokens.Next()));
      frame.word = static_cast<int>(Hex(tokens.Next()));
      synset.frames.push_back(frame);
    }
  }
  if (!tokens.Next().empty()) {  // the bar before the gloss
    std::string gloss;
    for (std::string_view t = tokens.Next(); !t.empty();) {
      if (t.size() + gloss.size() + 2 > kGlossBuf) return std::nullopt;
      gloss += t;
      t = tokens.Next();
      if (!t.empty()) gloss += ' ';
    }
    synset.gloss = "(" + gloss + ")";
  }
  return synset;
}

int CMappedWordNet::SearchSense(const SynsetEntry& synset, int whichWord) const {
  std::string word = synset.words[static_cast<std::size_t>(whichWord - 1)];
  std::replace(word.begin(), word.end(), ' ', '_');
  ToLowerCut(word);
  if (std::optional<IndexEntry> entry = IndexLookup(word, PosOf(synset.kind))) {
    for (std::size_t i = 0; i < entry->offsets.size(); ++i)
      if (entry->offsets[i] == static_cast<unsigned long>(synset.offset))
        return static_cast<int>(i + 1);
  }
  return 0;
}

// The library's catword for a trace: the word without its adjective marker, then for an
// adjective the marker's name and, when asked, its antonyms.
std::string CMappedWordNet::CatWord(const SynsetEntry& synset, int wordIndex, bool withAntonyms) {
  std::string_view word = synset.words[static_cast<std::size_t>(wordIndex)];
  std::size_t paren = word.find('(');
  std::string out(word.substr(0, paren));
  if (PosOf(synset.kind) != kAdj) return out;
  std::string_view marker = paren == std::string_view::npos ? "" : word.substr(paren);
  if (marker.rfind("(a)", 0) == 0) out += "(prenominal)";
  else if (marker.rfind("(ip)", 0) == 0) out += "(postnominal)";
  else if (marker.rfind("(p)", 0) == 0) out += "(predicate)";
  if (!withAntonyms) return out;
  for (const SynsetPointer& p : synset.pointers) {
    if (p.type != kAntonymPointer || p.from != wordIndex + 1) continue;
    std::optional<SynsetEntry> other = Synset(kAdj, p.offset, "");
    if (!other) continue;
    for (const SynsetPointer& back : other->pointers) {
      if (back.type != kAntonymPointer || back.to != wordIndex + 1 || back.offset != synset.offset)
        continue;
      const std::size_t at = back.from ? static_cast<std::size_t>(back.from - 1) : 0;
      if (at >= other->words.size()) continue;
      std::string_view antonym = other->words[at];
      out += " (vs. ";
      out += antonym.substr(0, antonym.find('('));
      out += ")";
    }
  }
  return out;
}

std::string CMappedWordNet::PrintSynset(std::string_view head, const SynsetEntry& synset,
                                        std::string_view tail, bool withGloss, int wordNumber,
                                        bool withAntonyms) {
  std::string out(head);
  if (wordNumber) {
    out += CatWord(synset, wordNumber - 1, withAntonyms);
  } else {
    for (std::size_t i = 0; i < synset.words.size(); ++i) {
      if (i) out += ", ";
      out += CatWord(synset, static_cast<int>(i), withAntonyms);
    }
  }
  if (withGloss && synset.gloss) {
    out += " -- ";
    out += *synset.gloss;
  }
  out += tail;
  return out;
}

std::string CMappedWordNet::ParticipleTrace(const SynsetEntry& synset) {
  std::string out;
  for (const SynsetPointer& p : synset.pointers) {
    if (p.type != kParticiplePointer || (p.from != 0 && p.from != synset.whichWord)) continue;
    out += "       ";
    constexpr std::string_view prefix = "Participle of verb ";
    std::optional<SynsetEntry> verb = Synset(p.pos, p.offset, "");
    if (!verb) continue;
    if (p.to == 0 || static_cast<std::size_t>(p.to) > verb->words.size()) {
      out += PrintSynset(prefix, *verb, "\n", true, 0, true);
      continue;
    }
    out += PrintSynset(prefix, *verb,
                       " (Sense " + std::to_string(SearchSense(*verb, p.to)) + ")\n", false,
                       p.to, false);
    out += PrintSynset("      =>", *verb, "\n", true, 0, true);
    for (const SynsetPointer& up : verb->pointers) {
      if (up.type != kHypernymPointer && up.type != kInstancePointer) continue;
      out += "       ";
      std::optional<SynsetEntry> hypernym = Synset(up.pos, up.offset, "");
      if (!hypernym) continue;
      out += PrintSynset(up.type == kInstancePointer ? "INSTANCE OF=> " : "=> ", *hypernym, "\n",
                         true, 0, true);
    }
  }
  return out;
}

// The exception list's base forms of a word, one per call: given a word, its line's first base
// form; given none, the next one on the line last found.
std::optional<std::string> CMappedWordNet::ExceptionLookup(const std::string* word, int pos) {
  if (word) {
    if (word->size() > kWordBuf - 1) return std::nullopt;
    std::optional<Found> found = BinarySearch(m_exceptions[pos].Bytes(), *word);
    if (found) {
      m_excLine.assign(AsC(found->line));
      m_excEnd = m_excLine.find(' ');
    } else {
      m_excEnd = std::string::npos;
    }
  }
  auto at = [this](std::size_t i) { return i < m_excLine.size() ? m_excLine[i] : '\0'; };
  if (m_excEnd != std::string::npos && at(m_excEnd + 1) != ' ') {
    std::size_t begin = m_excEnd + 1;
    std::size_t end = begin;
    while (at(end) != '\0' && at(end) != ' ' && at(end) != '\n') ++end;
    if (end != begin) {
      if (end < m_excLine.size()) m_excLine[end] = '\0';
      m_excEnd = end;
      return m_excLine.substr(begin, end - begin);
    }
  }
  m_excEnd = std::string::npos;
  return std::nullopt;
}

std::optional<std::string> CMappedWordNet::MorphWord(const std::string& word, int pos) {
  static constexpr std::string_view kSuffixes[] = {
      "s", "ses", "xes", "zes", "ches", "shes", "men", "ies",  // nouns
      "s", "ies", "es", "es", "ed", "ed", "ing", "ing",        // verbs
      "er", "est", "er", "est"};                               // adjectives
  static constexpr std::string_view kEndings[] = {
      "", "s", "x", "z", "ch", "sh", "man", "y",  //
      "", "y", "e", "", "e", "", "e", "",         //
      "", "", "e", "e"};
  static constexpr int kFirstRule[kParts] = {0, 0, 8, 16};
  static constexpr int kRuleCount[kParts] = {0, 8, 8, 4};

  if (word.size() > kWordBuf - 1) return std::nullopt;
  if (std::optional<std::string> exc = ExceptionLookup(&word, pos)) return exc;
  if (pos == kAdv) return std::nullopt;
  std::string stem;
  std::string_view end;
  if (pos == kNoun) {
    if (EndsWith(word, "ful")) {
      stem = word.substr(0, word.rfind('f'));
      end = "ful";
    } else if (EndsWith(word, "ss") || word.size() <= 2) {
      return std::nullopt;
    }
  }
  if (stem.empty()) stem = word;
  for (int i = 0; i < kRuleCount[pos]; ++i) {
    const int rule = i + kFirstRule[pos];
    std::string base = stem;
    if (EndsWith(base, kSuffixes[rule])) {
      base.resize(base.size() - kSuffixes[rule].size());
      base += kEndings[rule];
    }
    if (base != stem && IsDefined(base, pos)) return base + std::string(end);
  }
  return std::nullopt;
}

std::optional<std::string> CMappedWordNet::MorphPrep(const std::string& s) {
  static constexpr std::string_view kVerbSuffixes[] = {"s", "ies", "es", "es",
                                                       "ed", "ed", "ing", "ing"};
  static constexpr std::string_view kVerbEndings[] = {"", "y", "e", "", "e", "", "e", ""};
  const std::size_t rest = s.find('_');
  const std::size_t last = s.rfind('_');
  std::optional<std::string> end;
  if (rest != last) {  // more than two words: the last one may be a plural noun
    if (std::optional<std::string> lastWord = MorphWord(s.substr(last + 1), kNoun))
      end = s.substr(rest, last - rest + 1) + *lastWord;
  }
  const std::string word = s.substr(0, rest);
  const std::string tail = s.substr(rest);
  for (char c : word)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
      return std::nullopt;
  auto tryBase = [&](const std::string& base) -> std::optional<std::string> {
    if (IsDefined(base + tail, kVerb)) return base + tail;
    if (end && IsDefined(base + *end, kVerb)) return base + *end;
    return std::nullopt;
  };
  std::optional<std::string> exc = ExceptionLookup(&word, kVerb);
  if (exc && *exc != word)
    if (std::optional<std::string> found = tryBase(*exc)) return found;
  for (std::size_t i = 0; i < std::size(kVerbSuffixes); ++i) {
    if (!EndsWith(word, kVerbSuffixes[i])) continue;
    std::string base = word.substr(0, word.size() - kVerbSuffixes[i].size());
    base += kVerbEndings[i];
    if (base == word) continue;
    if (std::optional<std::string> found = tryBase(base)) return found;
  }
  if (word + tail != s) return word + tail;
  if (end && word + *end != s) return word + *end;
  return std::nullopt;
}

std::optional<std::string> CMappedWordNet::Morph(const std::string* origin, int pos) {
  if (pos == 5) pos = kAdj;  // satellites
  if (pos < 1 || pos > kParts) return std::nullopt;
  if (!origin) {  // a further base form of the last word
    if (m_svprep) {
      m_svprep = 0;
      return std::nullopt;
    }
    if (m_svcnt == 1) return ExceptionLookup(nullptr, pos);
    m_svcnt = 1;
    std::optional<std::string> exc = ExceptionLookup(&m_str, pos);
    if (exc && *exc != m_str) return exc;
    return std::nullopt;
  }
  if (origin->size() > kWordBuf - 1) return std::nullopt;
  m_str = *origin;
  std::replace(m_str.begin(), m_str.end(), ' ', '_');
  ToLowerCut(m_str);
  const std::string str = m_str;
  int count = CountWords(str, '_');
  m_svprep = 0;

  std::optional<std::string> exc = ExceptionLookup(&str, pos);
  if (exc && *exc != str) {
    m_svcnt = 1;
    return exc;
  }
  if (pos != kVerb) {
    std::optional<std::string> base = MorphWord(str, pos);
    if (base && *base != str) return base;
  }
  if (pos == kVerb && count > 1) {
    // A verb followed by a preposition: the verb is the word to change.
    static constexpr std::string_view kPrepositions[] = {
        "to", "at", "of", "on", "off", "in", "out", "up", "down", "from", "with", "into", "for",
        "about", "between"};
    int prep = 0;
    std::size_t at = 0;
    for (int n = 2; n <= count && !prep; ++n) {
      at = str.find('_', at) + 1;
      std::string_view after = std::string_view(str).substr(at);
      for (std::string_view p : kPrepositions) {
        if (after.rfind(p, 0) == 0 && (after.size() == p.size() || after[p.size()] == '_')) {
          prep = n;
          break;
        }
      }
    }
    if (prep) {
      m_svprep = prep;
      return MorphPrep(str);
    }
  }
  m_svcnt = count = CountWords(str, '-');
  std::string search;
  std::size_t start = 0;
  while (--count) {
    const std::size_t underscore = str.find('_', start);
    const std::size_t hyphen = str.find('-', start);
    const std::size_t end = std::min(underscore, hyphen);
    if (end == std::string::npos) return std::nullopt;
    const std::string word = str.substr(start, end - start);
    std::optional<std::string> base = MorphWord(word, pos);
    search += base ? *base : word;
    search += str[end];
    start = end + 1;
  }
  const std::string word = str.substr(start);
  std::optional<std::string> base = MorphWord(word, pos);
  search += base ? *base : word;
  if (search != str && IsDefined(search, pos)) return search;
  return std::nullopt;
}

}  // namespace

bool WordNet::Open() { return IsOpen() || OpenIn(CurrentLookupConfig().WordNetDir()); }

WordNet& ProgramWordNet() {
  static CMappedWordNet reader;
  return reader;
}

}  // namespace qv::lexical
