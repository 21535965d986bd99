// The dictionary's six sources, numbered as the dictionary store has always numbered them: the
// four part-of-speech lists first, in the order of their files.
#pragma once

#include <cstdint>

namespace qv {

enum class DictSource : std::int32_t { Verb = 0, Noun = 1, Adj = 2, Adv = 3, Pronounce = 4, Translation = 5 };

// The part-of-speech lists in the lexicon home, in the order of their sources.
inline constexpr const char* kPartOfSpeechFiles[] = {"dict\\qv.vrb", "dict\\qv.nn", "dict\\qv.dj",
                                                     "dict\\qv.dv"};

}  // namespace qv
