// Words as they stand in published text: typographic apostrophes and quotes, ligatures, soft
// and non-breaking hyphens, possessives, abbreviations with dots, and the spelling variants of
// compounds. A page, a PDF or a word processor gives these characters; the dictionaries and
// WordNet only know the plain forms.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Trimmed from both ends of a captured text. Tab, line breaks, digits and letters of any
// script are not in the set.
inline constexpr std::wstring_view kWordDelimiters = L"< ~`!@#$%^&*()_-+=}]{[;:'\"?/>.<,|\\";
// Typographic quotes and guillemets, trimmed like the delimiters: published text puts them
// where plain text has " and '.
inline constexpr std::wstring_view kTypographicQuotes =
    L"\u00AB\u00BB\u2018\u2019\u201A\u201B\u201C\u201D\u201E\u201F\u2039\u203A";

// Spaces and tabs, the blanks around a word typed or handed over.
inline bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
// The text without the blanks at its ends.
inline std::wstring_view TrimBlanks(std::wstring_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Removes delimiters and typographic quotes: leading, then trailing, then leading and trailing
// once more; nothing is removed from inside the text.
std::wstring TrimDelimiters(std::wstring_view text);

// The text with ’ ‘ ʼ read as ', the ligatures ﬀ ﬁ ﬂ ﬃ ﬄ spelled out, soft hyphens removed
// and non-breaking hyphens read as '-'. Any other character is kept, so that a foreign word
// still fails the 8-bit conversion and gives no look-up.
std::wstring PlainLetters(std::wstring_view text);

// The word of a captured token: PlainLetters, then TrimDelimiters, an abbreviation keeping its
// final dot ("U.S.", "e.g.").
std::wstring WordOfToken(std::wstring_view token);

// The stem of a possessive ("house's" -> "house", "children's" -> "children"); "" when the
// word is none. "s'" never reaches here: the trailing apostrophe is a delimiter.
std::wstring PossessiveStem(std::wstring_view word);

// The other spellings of a compound, in the order they are tried: "ice-cream" -> "ice cream",
// "icecream"; "ice cream" -> "ice-cream", "icecream". Empty for a word of one piece.
std::vector<std::wstring> CompoundVariants(std::wstring_view word);

}  // namespace qv
