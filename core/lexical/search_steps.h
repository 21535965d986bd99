// The steps of the word description, open to tests. Part-of-speech numbers are the library's:
// noun 1, verb 2, adjective 3, adverb 4.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/lexical/search.h"

extern "C" {
#include <wn.h>
}

namespace qv::lexical {

class WordNet;
struct SynsetEntry;

inline constexpr char kNoWordText[] =
    "No Word Has Been Captured. Please, move mouse slightly and try again";
inline constexpr char kNoValueText[] = "No Value Was Found For Word: ";
inline constexpr char kTooLargeText[] = "Search too large.  Narrow search and try again...\n";
inline constexpr char kNoDatabaseText[] = "WordNet database not found";

// Byte limits: the whole description, the listing of one form, one sense line, one gloss.
inline constexpr std::size_t kDescriptionLimit = 819200;
inline constexpr std::size_t kListingLimit = 204800;
inline constexpr std::size_t kLineLimit = 3072;
inline constexpr std::size_t kLineWidth = 75;

// A text that keeps below a byte limit: a piece that would reach it is refused, and from then
// on the text is marked as overflowed and takes nothing more.
class BoundedText {
 public:
  explicit BoundedText(std::size_t limit) : m_limit(limit) {}
  void Append(std::string_view piece);
  bool Overflowed() const { return m_overflow; }
  std::string& Text() { return m_text; }

 private:
  std::string m_text;
  std::size_t m_limit;
  bool m_overflow = false;
};

// DescribeWord and BaseForm over a given reader of the database (wordnet.h).
std::string DescribeWord(WordNet& wn, std::string& word, int maxSenses, bool withSynonyms,
                         std::vector<std::string>* headingForms, Answer* answer);
std::optional<std::string> BaseForm(WordNet& wn, std::string& word);

// The senses of one form in one part of speech over all its index entries (the form and its
// spelling variants), each synset once; empty when the form is unknown. The program's reader.
std::string ListSenses(const std::string& form, int pos, int maxSenses, bool withSynonyms,
                       std::size_t limit = kListingLimit);

// One sense line: "N. Gloss. synonyms: [a, b]\n", the synonyms wrapped at 75 columns; the
// reader gives the antonyms of adjectives.
std::string FormatSense(WordNet& wn, const SynsetEntry& synset, int senseNumber,
                        bool withSynonyms, std::string_view form);

// The gloss as shown: examples introduced by a colon and separated by commas, a quoted example
// starting with a capital, lines wrapped at 75 columns with "\n    ". gloss is the text without
// the parentheses the library puts around it.
std::string PrepareGloss(std::string_view gloss);

}  // namespace qv::lexical
