// Access to the WordNet library's database: opening it where the settings say, and the limits
// of the library's fixed buffers.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace qv::lexical {

// The library copies a search word into 256-byte buffers and its morphology may lengthen a
// collocation word by word (an exception list maps "bok" to "boschbok"). No lemma of the
// database is longer than 71 bytes, so a longer word is simply unknown and never reaches it.
inline constexpr std::size_t kMaxLibraryWord = 100;

// Opens the database in the folder named by the lexicon home (local machine, current user, then
// the default folder), read at this moment. Once open it stays open; after a failure the next
// call tries again, so that a database installed later is found without a restart.
bool OpenDatabase();
// The same in the folder given (Windows form), for a thread that does not read the
// configuration itself.
bool OpenDatabase(const std::string& windowsDir);
// Held by every question to the database: its readers keep the morphology's place between calls.
std::mutex& LexicalLock();

// True when the library may be given this word. It looks a word up lower-cased and cut at its
// first "(", and also without hyphens and underscores, and without full stops; an empty key
// would match the licence text at the head of every index file.
inline bool FitsLibrary(std::string_view word) {
  if (word.empty() || word.size() > kMaxLibraryWord) return false;
  std::string_view key = word.substr(0, word.find('('));
  return key.find_first_not_of("_-") != std::string_view::npos &&
         key.find_first_not_of('.') != std::string_view::npos;
}

}  // namespace qv::lexical
