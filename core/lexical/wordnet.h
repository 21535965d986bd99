// What the lexical analysis asks of the WordNet 3.0 database, in the library's own terms: base
// forms one at a time, index entries over the spelling variants of a form, a synset at an
// offset, and the trace of an adjective's participle pointers. Two readers answer it alike,
// byte for byte: the library's (the reference, reading its files through stdio) and the
// program's own over the files mapped into memory. Part-of-speech numbers are the library's:
// noun 1, verb 2, adjective 3, adverb 4.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qv::lexical {

// The pointer kinds the description follows, numbered as the library numbers them.
inline constexpr int kAntonymPointer = 1;      // "!"
inline constexpr int kHypernymPointer = 2;     // "@"
inline constexpr int kParticiplePointer = 15;  // "<"
inline constexpr int kInstancePointer = 38;    // "@i"

struct IndexEntry {
  std::string word;  // the lemma as the index spells it
  int senseCount = 0;
  std::vector<unsigned long> offsets;
};

struct SynsetPointer {
  int type = 0;  // one of the kinds above; 0 for the others
  long offset = 0;
  int pos = 0;
  int from = 0;  // the word it starts from (1-based), 0 for the whole synset
  int to = 0;    // the word it leads to, 0 for the whole synset
};

struct SynsetEntry {
  long offset = 0;
  char kind = 'n';                 // n, v, a, s (adjective satellite) or r
  std::vector<std::string> words;  // as the data file spells them, markers included
  std::vector<SynsetPointer> pointers;
  std::optional<std::string> gloss;  // in parentheses, its words separated by one space
  int whichWord = 0;                 // the word the synset was read for (1-based), or 0
  struct Frame {
    int id = 0;    // the sentence frame's number
    int word = 0;  // the word it is for (1-based), 0 for all of them
  };
  std::vector<Frame> frames;  // a verb's sentence frames
};

class WordNet {
 public:
  virtual ~WordNet() = default;

  // Opens the database where the look-up configuration says; false while it cannot. Once open
  // it stays open; after a failure the next call tries again, unless neither the folder nor its
  // files changed.
  bool Open();
  // The same in the folder given (Windows form), which is what Open reads from the
  // configuration.
  virtual bool OpenIn(const std::string& windowsDir) = 0;
  virtual bool IsOpen() const = 0;
  // The library's morphstr: given a word, its first base form in pos; given none, the next
  // base form of the last word given.
  virtual std::optional<std::string> Morph(const std::string* word, int pos) = 0;
  // The index entries of a form and of its spelling variants, in the library's order.
  virtual std::vector<IndexEntry> Index(const std::string& form, int pos) = 0;
  // The synset at offset in pos's data file, read for word (which sets whichWord).
  virtual std::optional<SynsetEntry> Synset(int pos, long offset, const std::string& word) = 0;
  // The trace of the synset's participle pointers as the library prints it: the verb with its
  // sense number, the verb synset and its direct hypernyms.
  virtual std::string ParticipleTrace(const SynsetEntry& synset) = 0;
};

// The reader the program uses: its own, over the mapped files.
WordNet& ProgramWordNet();

}  // namespace qv::lexical
