// Multi-word lemmas of WordNet 3.0 («give up», «ice cream») as the expression finder asks for
// them: words separated by spaces, 8-bit text.
#pragma once

#include <string>

namespace qv::lexical {

// The multi-word lemma of part of speech pos (noun 1, verb 2, adjective 3, adverb 4) that the
// phrase is, as written or through the morphology ("gave up" -> "give up"), spelled as its
// first sense spells it ("white house" -> "White House"); "" when none, or when the database
// cannot be opened.
std::string PhraseLemma(const std::string& phrase, int pos);

// True when WordNet holds the word (spaces standing for its underscores), as written or as an
// inflected form.
bool IsKnown(const std::string& word);

// True when a sense of the verb lemma takes a direct object, by WordNet's verb frames.
bool TakesObject(const std::string& verbLemma);

// How often the senses of a multi-word lemma were tagged in WordNet's corpus (cntlist.rev),
// all parts of speech together; 0 when never, or when the file cannot be read.
int TaggedCount(const std::string& lemma);

// Reads the tables the questions above use from the database folder given (Windows form), so
// that the first expression under the pointer does not pay for them.
void WarmUpPhrases(const std::string& wordnetDir);

}  // namespace qv::lexical
