#include "core/lexical/phrases.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/lexical/wnutil.h"
#include "core/lexical/wordnet.h"
#include "core/lookup/lookup_config.h"
#include "platform/files.h"

extern "C" {
#include <wn.h>
}

namespace qv::lexical {
namespace {

std::string Swapped(std::string s, char from, char to) {
  std::replace(s.begin(), s.end(), from, to);
  return s;
}

// The key of the index files and of the counts: lower case, underscores between the words.
std::string KeyOf(const std::string& lemma) {
  std::string key = Swapped(lemma, ' ', '_');
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

// The counts of the multi-word lemmas, read once: a line is "sense_key sense_number count",
// the key starting with the lemma and '%'.
std::unordered_map<std::string, int> ReadCounts(const std::string& dir) {
  std::unordered_map<std::string, int> counts;
  const std::string path = platform::NativePath(dir + "\\cntlist.rev");
  std::FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return counts;
  char line[512];
  while (std::fgets(line, sizeof line, fp)) {
    std::string_view l(line);
    const std::size_t percent = l.find('%');
    if (percent == std::string_view::npos || l.substr(0, percent).find('_') == std::string_view::npos)
      continue;
    const std::size_t last = l.find_last_of(' ');
    if (last == std::string_view::npos) continue;
    counts[std::string(l.substr(0, percent))] += std::atoi(line + last + 1);
  }
  std::fclose(fp);
  return counts;
}

// What the multi-word lemmas of each part of speech allow, read once from the index files, so
// that the library is asked only about a phrase that may be one: a verb's words after its
// first (which the morphology changes: "gave up" -> "give up"), a noun's words before its last
// ("ice creams" -> "ice cream"), an adjective or adverb as it is. Kept as sorted hashes, about
// a megabyte: a rare collision only costs a question to the library.
using Hashes = std::vector<std::uint64_t>;

std::uint64_t Hash(std::string_view s) {
  std::uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (char c : s) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return h;
}

struct PhraseShapes {
  Hashes verbTails, nounHeads, whole[NUMPARTS + 1];
};

PhraseShapes ReadShapes(const std::string& dir) {
  static const char* const kPartNames[] = {"", "noun", "verb", "adj", "adv"};
  PhraseShapes shapes;
  for (int pos = 1; pos <= NUMPARTS; ++pos) {
    std::FILE* fp = std::fopen(platform::NativePath(dir + "\\index." + kPartNames[pos]).c_str(), "rb");
    if (!fp) continue;
    char line[4096];
    while (std::fgets(line, sizeof line, fp)) {
      const char* space = std::strchr(line, ' ');
      const char* under = std::strchr(line, '_');
      if (line[0] == ' ' || !space || !under || under > space) continue;
      const std::string_view lemma(line, static_cast<std::size_t>(space - line));
      if (pos == VERB) shapes.verbTails.push_back(Hash(lemma.substr(lemma.find('_') + 1)));
      if (pos == NOUN) shapes.nounHeads.push_back(Hash(lemma.substr(0, lemma.rfind('_'))));
      shapes.whole[pos].push_back(Hash(lemma));
    }
    std::fclose(fp);
  }
  for (Hashes* h : {&shapes.verbTails, &shapes.nounHeads, &shapes.whole[1], &shapes.whole[2],
                    &shapes.whole[3], &shapes.whole[4]}) {
    std::sort(h->begin(), h->end());
    h->erase(std::unique(h->begin(), h->end()), h->end());
    h->shrink_to_fit();
  }
  return shapes;
}

// Both tables are read once, in the folder the warm-up gives or else the configuration's.
const PhraseShapes& Shapes(const std::string* dir = nullptr) {
  static const PhraseShapes shapes = ReadShapes(dir ? *dir : CurrentLookupConfig().WordNetDir());
  return shapes;
}

const std::unordered_map<std::string, int>& Counts(const std::string* dir = nullptr) {
  static const std::unordered_map<std::string, int> counts =
      ReadCounts(dir ? *dir : CurrentLookupConfig().WordNetDir());
  return counts;
}

bool MayBeLemma(std::string_view key, int pos) {
  const PhraseShapes& shapes = Shapes();
  auto has = [](const Hashes& h, std::string_view s) {
    return std::binary_search(h.begin(), h.end(), Hash(s));
  };
  if (pos < 1 || pos > NUMPARTS) return false;
  if (has(shapes.whole[pos], key)) return true;
  if (pos == VERB) return has(shapes.verbTails, key.substr(key.find('_') + 1));
  if (pos == NOUN) return has(shapes.nounHeads, key.substr(0, key.rfind('_')));
  return false;
}

// The index entry of a key as it is, without the spelling variants the index look-up also tries.
std::optional<IndexEntry> ExactIndex(WordNet& wn, const std::string& key, int pos) {
  for (IndexEntry& entry : wn.Index(key, pos))
    if (entry.word == key) return std::move(entry);
  return std::nullopt;
}

}  // namespace

std::string PhraseLemma(const std::string& phrase, int pos) {
  std::string key = KeyOf(phrase);
  if (key.find('_') == std::string::npos || !FitsLibrary(key) || !MayBeLemma(key, pos)) return {};
  std::lock_guard<std::mutex> lock(LexicalLock());
  WordNet& wn = ProgramWordNet();
  if (!wn.Open()) return {};
  std::optional<IndexEntry> idx = ExactIndex(wn, key, pos);
  if (!idx) {
    std::optional<std::string> base = wn.Morph(&key, pos);
    if (!base || base->find('_') == std::string::npos) return {};
    // With a preposition in it, the verb morphology hands out its guesses unchecked.
    key = *base;
    idx = ExactIndex(wn, key, pos);
    if (!idx) return {};
  }
  // Spelled as its first sense spells it: "White House", "give up".
  std::string lemma = key;
  if (!idx->offsets.empty()) {
    if (std::optional<SynsetEntry> synset =
            wn.Synset(pos, static_cast<long>(idx->offsets[0]), key)) {
      if (synset->whichWord >= 1 && synset->whichWord <= static_cast<int>(synset->words.size())) {
        std::string spelled = synset->words[static_cast<std::size_t>(synset->whichWord - 1)];
        spelled = spelled.substr(0, spelled.find('('));
        if (spelled.size() == lemma.size()) lemma = spelled;
      }
    }
  }
  return Swapped(lemma, '_', ' ');
}

bool IsKnown(const std::string& word) {
  std::string key = Swapped(word, ' ', '_');
  if (!FitsLibrary(key)) return false;
  std::lock_guard<std::mutex> lock(LexicalLock());
  WordNet& wn = ProgramWordNet();
  if (!wn.Open()) return false;
  for (int pos = 1; pos <= NUMPARTS; ++pos) {
    if (!wn.Index(key, pos).empty()) return true;
    if (wn.Morph(&key, pos)) return true;
  }
  return false;
}

bool TakesObject(const std::string& verbLemma) {
  // The frames with a direct object: "Somebody ----s something", "... somebody", and those
  // that go on from there.
  static constexpr int kTransitive[] = {5, 8, 9, 10, 11, 14, 15, 16, 17, 18, 19, 20, 21, 24, 25, 30, 31};
  std::string key = KeyOf(verbLemma);
  if (!FitsLibrary(key)) return false;
  std::lock_guard<std::mutex> lock(LexicalLock());
  WordNet& wn = ProgramWordNet();
  if (!wn.Open()) return false;
  std::optional<IndexEntry> idx = ExactIndex(wn, key, VERB);
  if (!idx) return false;
  for (unsigned long offset : idx->offsets) {
    std::optional<SynsetEntry> synset = wn.Synset(VERB, static_cast<long>(offset), key);
    if (!synset) continue;
    for (const SynsetEntry::Frame& f : synset->frames)
      if ((f.word == 0 || f.word == synset->whichWord) &&
          std::find(std::begin(kTransitive), std::end(kTransitive), f.id) != std::end(kTransitive))
        return true;
  }
  return false;
}


void WarmUpPhrases(const std::string& wordnetDir) {
  Shapes(&wordnetDir);
  Counts(&wordnetDir);
}

int TaggedCount(const std::string& lemma) {
  const std::unordered_map<std::string, int>& counts = Counts();
  auto it = counts.find(KeyOf(lemma));
  return it == counts.end() ? 0 : it->second;
}

}  // namespace qv::lexical
