#include "core/lexical/search.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "core/lexical/search_steps.h"
#include "core/lexical/wnutil.h"
#include "core/lexical/wordnet.h"

namespace qv::lexical {
namespace {

struct PartOfSpeech {
  int pos;
  const char* name;
  const char* marker;
};
constexpr PartOfSpeech kParts[] = {
    {NOUN, "noun", "#NOUN#"}, {VERB, "verb", "#VERB#"}, {ADJ, "adj", "#ADJ#"}, {ADV, "adv", "#ADV#"}};

// The morphology hands out further base forms one call at a time; no exception list line holds
// more than a handful, this only guards against a damaged file.
constexpr int kMaxBaseForms = 16;

constexpr std::string_view kWrap = "\n    ";

void TrimSpaces(std::string& s) {
  std::size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) {
    s.clear();
    return;
  }
  s.erase(s.find_last_not_of(' ') + 1);
  s.erase(0, first);
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The library lower-cases the words it is asked for with the C locale's rules (ASCII letters
// only), so a capitalised word is the same word.
bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return UpperAscii(x) == UpperAscii(y);
         });
}

bool IsAdjective(const SynsetEntry& synset) { return synset.kind == 'a' || synset.kind == 's'; }

// The database marks some adjectives with their position: "(a)", "(p)" or "(ip)".
std::string_view MarkerName(std::string_view marker) {
  if (marker == "(p)") return "(predicate)";
  if (marker == "(a)") return "(prenominal)";
  if (marker == "(ip)") return "(postnominal)";
  return {};
}

std::string_view CutAtParen(std::string_view word) { return word.substr(0, word.find('(')); }

// " (vs. X)" for each direct antonym of the synset's word number wordIndex (0-based).
std::string Antonyms(WordNet& wn, const SynsetEntry& synset, int wordIndex) {
  std::string out;
  for (const SynsetPointer& p : synset.pointers) {
    if (p.type != kAntonymPointer || p.from != wordIndex + 1) continue;
    std::optional<SynsetEntry> other = wn.Synset(p.pos, p.offset, "");
    if (!other) continue;
    if (p.to >= 1 && static_cast<std::size_t>(p.to) <= other->words.size()) {
      out += " (vs. ";
      out += CutAtParen(other->words[static_cast<std::size_t>(p.to - 1)]);
      out += ")";
    }
  }
  return out;
}

// The trace of an adjective's participle pointers: the verb with its sense number, the verb
// synset and its direct hypernyms; the glosses it quotes are rewritten like our own.
std::string ParticipleTrace(WordNet& wn, const SynsetEntry& synset) {
  const std::string trace = wn.ParticipleTrace(synset);
  std::string out;
  std::size_t start = 0;
  while (start < trace.size()) {
    std::size_t nl = trace.find('\n', start);
    std::size_t end = nl == std::string::npos ? trace.size() : nl;
    std::string_view line(trace.data() + start, end - start);
    std::size_t dash = line.find(" -- (");
    if (dash != std::string_view::npos && line.back() == ')') {
      out.append(line.substr(0, dash));
      out += " -- ";
      out += PrepareGloss(line.substr(dash + 5, line.size() - dash - 6));
    } else {
      out.append(line);
    }
    if (nl != std::string::npos) out += '\n';
    start = end + 1;
  }
  return out;
}

}  // namespace

void BoundedText::Append(std::string_view piece) {
  if (m_overflow) return;
  if (m_text.size() + piece.size() >= m_limit) {
    m_overflow = true;
    return;
  }
  m_text.append(piece);
}

std::string PrepareGloss(std::string_view gloss) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < gloss.size()) {
    std::size_t start = gloss.find_first_not_of(" \n", i);
    if (start == std::string_view::npos) break;
    std::size_t end = gloss.find_first_of(" \n", start);
    if (end == std::string_view::npos) end = gloss.size();
    words.emplace_back(gloss.substr(start, end - start));
    i = end;
  }

  bool firstSemicolon = true;
  std::size_t lastBreak = 0;
  std::string measure;
  std::string out;
  for (std::size_t k = 0; k < words.size(); ++k) {
    std::string& w = words[k];
    if (w.size() >= 2 && w[0] == '"') w[1] = UpperAscii(w[1]);
    if (w.back() == ';') {
      w.back() = firstSemicolon ? ':' : ',';
      firstSemicolon = false;
    }
    measure += w;
    bool wrap = measure.size() - lastBreak >= kLineWidth;
    // The gloss stays below its limit; a word that would not fit ends it.
    if (out.size() + (wrap ? kWrap.size() : 0) + w.size() >= kLineLimit) break;
    if (wrap) {
      lastBreak = measure.size();
      out += kWrap;
      measure += kWrap;
    }
    out += w;
    if (k + 1 < words.size()) {
      out += ' ';
      measure += ' ';
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string FormatSense(WordNet& wn, const SynsetEntry& synset, int senseNumber,
                        bool withSynonyms, std::string_view form) {
  std::string gloss;
  if (synset.gloss) {
    std::string_view raw = *synset.gloss;
    if (!raw.empty() && raw.front() == '(') raw.remove_prefix(1);
    if (!raw.empty() && raw.back() == ')') raw.remove_suffix(1);
    gloss = PrepareGloss(raw);
  }
  std::size_t lastNl = gloss.rfind('\n');
  std::size_t tail = lastNl == std::string::npos ? gloss.size() : gloss.size() - lastNl - 1;
  std::size_t column = tail + 13;
  bool isLong = column >= kLineWidth;
  std::size_t lastWrap = isLong ? tail : 0;

  bool adjective = IsAdjective(synset);
  std::string words;
  const int wordCount = static_cast<int>(synset.words.size());
  for (int i = 0; i < wordCount; ++i) {
    std::string_view word = synset.words[static_cast<std::size_t>(i)];
    if (SameWord(word, form)) continue;
    bool wrapped = (column - lastWrap) + word.size() >= kLineWidth;
    if (wrapped) words += kWrap;
    std::string_view bare = CutAtParen(word);
    words += bare;
    if (adjective) {
      words += MarkerName(word.substr(bare.size()));
      words += Antonyms(wn, synset, i);
    }
    if (i != wordCount - 1) {
      column = words.size() + tail + 13;
      if (column - lastWrap < kLineWidth) {
        words += ", ";
      } else {
        lastWrap = column;
        words += wrapped ? ", " : ",\n    ";
      }
    }
  }
  if (words.size() >= 2 && words[words.size() - 2] == ',') words.resize(words.size() - 2);

  std::string line;
  if (synset.gloss) {
    line = std::to_string(senseNumber) + ". " + gloss;
    std::size_t first = line.find(". ") + 2;
    if (first < line.size()) line[first] = UpperAscii(line[first]);
  }
  if (withSynonyms && !words.empty()) {
    line += isLong ? ".\n    synonyms: [" : ". synonyms: [";
    line += words;
    line += "]";
  } else {
    line += ".";
  }
  // A synset with dozens of long synonyms must not outgrow the line: it is cut, and still ends
  // its line.
  if (line.size() + 1 >= kLineLimit) line.resize(kLineLimit - 2);
  line += "\n";
  return line;
}

namespace {

std::string ListSenses(WordNet& wn, const std::string& form, int pos, int maxSenses,
                       bool withSynonyms, std::size_t limit) {
  if (!FitsLibrary(form)) return {};
  BoundedText listing(limit);
  int senseLimit = maxSenses;
  std::vector<unsigned long> seen;

  for (const IndexEntry& idx : wn.Index(form, pos)) {
    if (listing.Overflowed()) break;
    const int offsetCount = static_cast<int>(idx.offsets.size());
    if (offsetCount == 0) continue;
    listing.Append("\n");
    if (senseLimit < 1 || idx.senseCount < senseLimit) senseLimit = idx.senseCount;
    int last = std::min(senseLimit, offsetCount);
    for (int s = 1; s <= last && !listing.Overflowed(); ++s) {
      unsigned long offset = idx.offsets[static_cast<std::size_t>(s - 1)];
      if (std::find(seen.begin(), seen.end(), offset) != seen.end()) continue;
      seen.push_back(offset);
      std::optional<SynsetEntry> synset = wn.Synset(pos, static_cast<long>(offset), idx.word);
      if (!synset) continue;
      listing.Append(FormatSense(wn, *synset, s, withSynonyms, form));
      if (pos == ADJ) listing.Append(ParticipleTrace(wn, *synset));
    }
  }
  if (listing.Overflowed()) return kTooLargeText;
  std::string& text = listing.Text();
  std::replace(text.begin(), text.end(), '_', ' ');
  return std::move(text);
}

void DescribePos(WordNet& wn, BoundedText& description, bool& firstBlock, const std::string& word,
                 int pos, int maxSenses, bool withSynonyms,
                 std::vector<std::string>* headingForms) {
  const PartOfSpeech* part = nullptr;
  for (const PartOfSpeech& p : kParts)
    if (p.pos == pos) part = &p;
  if (!part) return;

  // All base forms are taken before any listing: the morphology keeps its place between calls.
  std::vector<std::string> forms{word};
  if (FitsLibrary(word)) {
    std::optional<std::string> base = wn.Morph(&word, pos);
    for (int n = 0; base && n < kMaxBaseForms; ++n) {
      forms.push_back(std::move(*base));
      base = wn.Morph(nullptr, pos);
    }
  }
  for (const std::string& form : forms) {
    std::string listing = ListSenses(wn, form, pos, maxSenses, withSynonyms, kListingLimit);
    if (listing.empty()) continue;
    std::string block = firstBlock ? "-" : "\n-";
    firstBlock = false;
    block += part->name;
    block += part->marker;
    block += listing;
    description.Append(block);
    if (headingForms) headingForms->push_back(form);
  }
}

}  // namespace

std::string ListSenses(const std::string& form, int pos, int maxSenses, bool withSynonyms,
                       std::size_t limit) {
  std::lock_guard<std::mutex> lock(LexicalLock());
  if (!ProgramWordNet().Open()) return {};
  return ListSenses(ProgramWordNet(), form, pos, maxSenses, withSynonyms, limit);
}

std::string DescribeWord(WordNet& wn, std::string& word, int maxSenses, bool withSynonyms,
                         std::vector<std::string>* headingForms, Answer* answer) {
  std::lock_guard<std::mutex> lock(LexicalLock());
  if (headingForms) headingForms->clear();
  Answer unasked;
  Answer& what = answer ? *answer : unasked;
  TrimSpaces(word);
  what = Answer::NoWord;
  if (word.empty()) return kNoWordText;  // needs no database
  // A tray program must outlive a missing database: it says so, and the next word tries again.
  what = Answer::NoDatabase;
  if (!wn.Open()) return kNoDatabaseText;
  what = Answer::Description;

  BoundedText description(kDescriptionLimit);
  bool firstBlock = true;
  for (const PartOfSpeech& part : kParts)
    DescribePos(wn, description, firstBlock, word, part.pos, maxSenses, withSynonyms,
                headingForms);

  if (description.Overflowed() && headingForms) headingForms->clear();
  std::string text = description.Overflowed() ? std::string(kTooLargeText)
                                              : std::move(description.Text());
  TrimSpaces(text);
  if (text.empty()) text = kNoValueText + word;
  return text;
}

std::string DescribeWord(std::string& word, int maxSenses, bool withSynonyms,
                         std::vector<std::string>* headingForms, Answer* answer) {
  return DescribeWord(ProgramWordNet(), word, maxSenses, withSynonyms, headingForms, answer);
}

std::optional<std::string> BaseForm(WordNet& wn, std::string& word) {
  std::lock_guard<std::mutex> lock(LexicalLock());
  TrimSpaces(word);
  if (!FitsLibrary(word) || !wn.Open()) return std::nullopt;
  for (int pos : {VERB, NOUN, ADJ, ADV})
    if (std::optional<std::string> base = wn.Morph(&word, pos)) return base;
  return std::nullopt;
}

std::optional<std::string> BaseForm(std::string& word) { return BaseForm(ProgramWordNet(), word); }

// The readers keep the morphology's place between calls, and the program describes words on its
// warm-up thread as well as on its window's: one question to the database at a time.
std::mutex& LexicalLock() {
  static std::mutex lock;
  return lock;
}

bool OpenDatabase() {
  std::lock_guard<std::mutex> lock(LexicalLock());
  return ProgramWordNet().Open();
}

bool OpenDatabase(const std::string& windowsDir) {
  std::lock_guard<std::mutex> lock(LexicalLock());
  return ProgramWordNet().OpenIn(windowsDir);
}

}  // namespace qv::lexical
