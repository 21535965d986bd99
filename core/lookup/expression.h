// The expression a pointed word stands in: «gave up» in «He gave up smoking», «ice cream»,
// «gave it up». The longest WordNet multi-word lemma (up to four words) that covers the word
// among the words around it, within one sentence; when in doubt, none.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// WordNet's parts of speech, numbered as its library numbers them.
enum class WordClass { Noun = 1, Verb = 2, Adj = 3, Adv = 4 };

// What the finder asks of WordNet. Phrases and lemmas are 8-bit text, words separated by
// single spaces.
class IPhraseLexicon {
 public:
  virtual ~IPhraseLexicon() = default;
  // The lemma of this class that the phrase (lower case) is, as written or through the
  // morphology ("gave up" -> "give up", "ice creams" -> "ice cream"), spelled as WordNet spells
  // it ("White House"); "" when none.
  virtual std::string PhraseLemma(const std::string& phrase, WordClass wordClass) = 0;
  // How often the lemma's senses were tagged in WordNet's corpus, all of them together.
  virtual int TaggedCount(const std::string& lemma) = 0;
  // True when a sense of the verb lemma takes a direct object (a frame "Somebody ----s
  // something" and the like).
  virtual bool TakesObject(const std::string& verbLemma) = 0;
};

struct Expression {
  std::wstring written;  // from its first word to its last as the text has it ("gave it up")
  std::string lemma;     // "give up", "White House"
  WordClass wordClass = WordClass::Noun;
};

// The expression that covers the word at text[at] (any character of the captured token; what
// touches the word, such as a quote, is skipped); nullopt when there is none or the word is not
// one the 8-bit text can hold.
std::optional<Expression> FindExpression(std::wstring_view text, std::size_t at,
                                         IPhraseLexicon& lexicon);

}  // namespace qv
