// English lexical analysis over WordNet 3.0: the English half of the popup and the base form of
// a captured word. Texts are 8-bit (the system code page), as the captured word is handed over.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qv::lexical {

// What DescribeWord's text is: the description, or the fixed text of a blank word or of a
// missing database, which a caller shows in words of its own.
enum class Answer { Description, NoWord, NoDatabase };

// The senses of the word per part of speech (noun, verb, adj, adv), for the word and for each
// of its base forms: a heading "-noun#NOUN#" (later ones "\n-verb#VERB#" …) at which the
// French translations go, then numbered sense lines. At most maxSenses senses per variant form
// (all of them when maxSenses < 1). Leading and trailing spaces are removed from word in place.
// A blank word, an unknown word and a missing database each give a fixed text (search_steps.h).
// headingForms, when given, receives the form whose senses each heading introduces, in the
// order of the headings ("saw" for the first verb heading of "saw", "see" for the second).
// answer, when given, receives what the text is.
std::string DescribeWord(std::string& word, int maxSenses = 5, bool withSynonyms = true,
                         std::vector<std::string>* headingForms = nullptr,
                         Answer* answer = nullptr);

// The first base form the library's morphology finds, trying verb, noun, adjective, adverb in
// that order; none when there is none or the database cannot be opened. Trims word in place.
std::optional<std::string> BaseForm(std::string& word);

}  // namespace qv::lexical
