// What one look-up found, as facts: the captured text, the word and its base form, their
// pronunciations, the main French, the English senses by part of speech, the expression the word
// stands in and the link of the popup. The popup's title and body and the look-up window's entry
// are rendered from these facts; nothing reads them back out of the texts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dictionary/dict_source.h"

namespace qv {

// The title when nothing was captured.
inline constexpr wchar_t kEmptyTitle[] = L"QV";

// A word's line of the main dictionary as the dictionary gives it ("FR : maison\r\n").
struct TranslationLine {
  std::wstring word;  // the form it is the line of
  std::wstring line;
  bool operator==(const TranslationLine&) const = default;
};

// One part-of-speech block of the senses: its heading ("-noun"), the French of the form whose
// senses it holds, then those senses.
struct PartOfSpeechBlock {
  DictSource part = DictSource::Noun;  // Verb, Noun, Adj or Adv
  std::wstring heading;                // the heading's line up to its French
  std::wstring form;                   // the form it describes ("see" under "saw")
  std::wstring french;                 // that form's French for this part of speech, or ""
  std::wstring senses;                 // what follows, up to the next block's heading
  bool operator==(const PartOfSpeechBlock&) const = default;
};

// The English senses: the text before the first part-of-speech block (all of it when there is
// none: a message, the no-word caption), then the blocks.
struct Senses {
  std::wstring lead;
  std::vector<PartOfSpeechBlock> blocks;
  std::wstring Text() const;
  bool operator==(const Senses&) const = default;
};

// Splits the lexical analysis's text at its part-of-speech markers ("#NOUN#", "#VERB#", "#ADJ#",
// "#ADV#"): the blocks get their part, heading and senses; their forms and French stay empty.
Senses SplitSenses(std::wstring_view text);

// The expression a pointed word stands in («gave up» for «gave» in «He gave up smoking»).
struct ExpressionBlock {
  std::wstring written;                        // as the text has it ("gave it up")
  std::wstring lemma;                          // "give up"
  std::optional<TranslationLine> translation;  // the lemma's own line
  Senses senses;                               // the lemma's
  bool operator==(const ExpressionBlock&) const = default;
};

struct LookupResult {
  std::wstring captured;           // as captured, punctuation included; "" when nothing was
  std::wstring word;               // the captured text without its delimiters
  std::wstring base;               // the base form or the spelling looked up, shown after the arrow
  std::wstring pronunciation;      // of the word as written
  std::wstring basePronunciation;  // of the base form
  // The word's own French: its line, else its base form's.
  std::optional<TranslationLine> translation;
  // The main French, without the line's language label: the expression's when there is one,
  // else the word's own.
  std::wstring french;
  Senses senses;
  std::wstring pronunciationNote;  // the footnote's caption, when it is shown
  std::optional<ExpressionBlock> expression;
  std::wstring link;  // the caption of the link that switches look-ups off

  std::wstring Title() const;
  std::wstring Body() const;
  // The footnote goes with the pronunciation shown last: the base form's when there is one.
  bool HasPronunciationNote() const {
    return !expression && !(base.empty() ? pronunciation : basePronunciation).empty();
  }
  // The look-up window's entry: the title, a line feed and the body without the link.
  std::wstring EntryText() const;
  // An estimate of the memory the result holds.
  std::size_t MemoryBytes() const;
  bool operator==(const LookupResult&) const = default;

 private:
  std::wstring BodyWithoutLink() const;
};

// The French of a dictionary line: without its closing line break, its language label ("FR : ")
// and the blanks around it.
std::wstring MainFrenchOf(std::wstring_view line);

}  // namespace qv
