// The popup's look-ups go into the history from their results: the word, its base form and its
// main French. While the pointer rests on a word the hover timer composes it again and again, and
// that counts once: a look-up that repeats the last one recorded (the same result, hence the same
// captured word) is not recorded again. Nothing captured is never recorded and does not end a
// repeat.
#pragma once

#include <cstdint>

#include "core/history/history.h"
#include "core/lookup/lookup_result.h"

namespace qv {

class CPopupRecorder {
 public:
  explicit CPopupRecorder(CHistory& history) : m_history(history) {}

  // True when the history changed.
  bool Record(const LookupResult& result, std::int64_t now);

 private:
  CHistory& m_history;
  LookupResult m_last;
};

}  // namespace qv
