// Words that reach the look-up window from outside: the "/lookup WORD" command line and the
// message a second start sends the running instance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// Longest word the window or the command line takes, in characters.
inline constexpr std::size_t kMaxTypedWord = 100;

// A word the window accepts from outside (command line, another instance): not blank, at most
// kMaxTypedWord UTF-16 units, no control or format character (bidirectional marks, zero-width
// characters and the like), no line or paragraph separator, no surrogate without its partner.
// Returns it without surrounding blanks.
std::optional<std::wstring> AcceptableWord(std::wstring_view text);

// The message a second start ("QV.exe /lookup WORD") sends the running instance: WM_COPYDATA
// with this tag and the word as UTF-16LE units, no null.
inline constexpr std::uint64_t kCopyDataLookup = 0x51564C55;  // "QVLU"
// What the running instance takes from such a message: the word to look up (empty: the window
// opens without one), or nullopt when the tag, the size or the word is not acceptable.
std::optional<std::wstring> CopyDataWord(std::uint64_t tag, const void* data, std::size_t bytes);

// "/lookup" alone or followed by blanks and a word (quotes around it are dropped); letter case
// of "/lookup" ignored. nullopt when the tail is not such a command; an empty word when it names
// none or an unacceptable one.
std::optional<std::wstring> ParseLookupCommand(std::wstring_view tail);

}  // namespace qv
