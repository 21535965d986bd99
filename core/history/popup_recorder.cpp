#include "core/history/popup_recorder.h"

namespace qv {

bool CPopupRecorder::Record(const LookupResult& result, std::int64_t now) {
  if (result.word.empty() || result == m_last) return false;
  m_last = result;
  return m_history.Record(result.word, result.base, result.french, now);
}

}  // namespace qv
