// The flash-card export of the history: one card per entry, with the first English sense of the
// entry's definitions.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/history/history.h"

namespace qv {

// The definition of the first English sense in a body (without its examples and synonyms), or
// empty.
std::wstring FirstSense(std::wstring_view body);

// The flash-card file: one line per entry, "word TAB French TAB first English sense", UTF-8,
// CR LF line ends. senseOf gives the first sense of an entry.
std::string FlashCardExport(const std::vector<HistoryEntry>& entries,
                            const std::function<std::wstring(const HistoryEntry&)>& senseOf);

}  // namespace qv
