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
#include "core/lookup_config.h"
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
std::unordered_map<std::string, int> ReadCounts() {
  std::unordered_map<std::string, int> counts;
  const std::string path = platform::NativePath(CurrentLookupConfig().WordNetDir() + "\\cntlist.rev");
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

PhraseShapes ReadShapes() {
  PhraseShapes shapes;
  const std::string dir = CurrentLookupConfig().WordNetDir();
  for (int pos = 1; pos <= NUMPARTS; ++pos) {
    std::FILE* fp = std::fopen(platform::NativePath(dir + "\\index." + partnames[pos]).c_str(), "rb");
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

bool MayBeLemma(std::string_view key, int pos) {
  static const PhraseShapes shapes = ReadShapes();
  auto has = [](const Hashes& h, std::string_view s) {
    return std::binary_search(h.begin(), h.end(), Hash(s));
  };
  if (pos < 1 || pos > NUMPARTS) return false;
  if (has(shapes.whole[pos], key)) return true;
  if (pos == VERB) return has(shapes.verbTails, key.substr(key.find('_') + 1));
  if (pos == NOUN) return has(shapes.nounHeads, key.substr(0, key.rfind('_')));
  return false;
}

}  // namespace

std::string PhraseLemma(const std::string& phrase, int pos) {
  std::string key = KeyOf(phrase);
  if (key.find('_') == std::string::npos || !FitsLibrary(key) || !OpenDatabase() ||
      !MayBeLemma(key, pos))
    return {};
  IndexPtr idx = index_lookup(key.data(), pos);
  if (!idx) {
    const char* base = morphstr(key.data(), pos);
    if (!base || !std::strchr(base, '_')) return {};
    // With a preposition in it, the verb morphology hands out its guesses unchecked.
    key = base;
    idx = index_lookup(key.data(), pos);
    if (!idx) return {};
  }
  // Spelled as its first sense spells it: "White House", "give up".
  std::string lemma = key;
  if (idx->off_cnt > 0) {
    if (SynsetPtr synset = read_synset(pos, static_cast<long>(idx->offset[0]), key.data())) {
      if (synset->whichword >= 1 && synset->whichword <= synset->wcount) {
        std::string spelled = synset->words[synset->whichword - 1];
        spelled = spelled.substr(0, spelled.find('('));
        if (spelled.size() == lemma.size()) lemma = spelled;
      }
      free_synset(synset);
    }
  }
  free_index(idx);
  return Swapped(lemma, '_', ' ');
}

bool IsKnown(const std::string& word) {
  std::string key = Swapped(word, ' ', '_');
  if (!FitsLibrary(key) || !OpenDatabase()) return false;
  for (int pos = 1; pos <= NUMPARTS; ++pos) {
    if (IndexPtr idx = getindex(key.data(), pos)) {
      free_index(idx);
      return true;
    }
    if (morphstr(key.data(), pos)) return true;
  }
  return false;
}

bool TakesObject(const std::string& verbLemma) {
  // The frames with a direct object: "Somebody ----s something", "... somebody", and those
  // that go on from there.
  static constexpr int kTransitive[] = {5, 8, 9, 10, 11, 14, 15, 16, 17, 18, 19, 20, 21, 24, 25, 30, 31};
  std::string key = KeyOf(verbLemma);
  if (!FitsLibrary(key) || !OpenDatabase()) return false;
  IndexPtr idx = index_lookup(key.data(), VERB);
  if (!idx) return false;
  bool takes = false;
  for (int s = 0; s < idx->off_cnt && !takes; ++s) {
    SynsetPtr synset = read_synset(VERB, static_cast<long>(idx->offset[s]), key.data());
    if (!synset) continue;
    for (int f = 0; f < synset->fcount && !takes; ++f)
      takes = (synset->frmto[f] == 0 || synset->frmto[f] == synset->whichword) &&
              std::find(std::begin(kTransitive), std::end(kTransitive), synset->frmid[f]) !=
                  std::end(kTransitive);
    free_synset(synset);
  }
  free_index(idx);
  return takes;
}


int TaggedCount(const std::string& lemma) {
  static const std::unordered_map<std::string, int> counts = ReadCounts();
  auto it = counts.find(KeyOf(lemma));
  return it == counts.end() ? 0 : it->second;
}

}  // namespace qv::lexical
