// The portable side of the look-up window: what its result area shows of a composition, what
// the history keeps of a look-up, and the tap that records the popup's look-ups in the history
// once per word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/history/history.h"
#include "core/lookup/lookup.h"

namespace qv {

// The result area's text: the popup's title, a line feed and its body, without the link that
// switches look-ups off (the window has no use for it).
std::wstring EntryText(const LookupResult& result);

// What the history keeps of a look-up, read from the composition: the trimmed word, the base
// form of the title and the main translation of the body's translation block (without its
// language label).
struct LookupFacts {
  std::wstring word, base, french;
};
LookupFacts FactsOf(std::wstring_view captured, const LookupResult& result);

// Where a recorded look-up goes.
class ILookupRecorder {
 public:
  virtual ~ILookupRecorder() = default;
  virtual void RecordLookup(const std::wstring& captured, const LookupResult& result) = 0;
};

// Sits between the look-up under the pointer and its capture and popup, and hands each popup
// look-up to the recorder, except when it repeats the last one recorded (the same captured word
// and the same texts): while the pointer rests on a word the hover timer composes it again and
// again, and that counts once. Nothing captured is never recorded and does not end a repeat.
class CPopupHistoryTap : public ITextCapture, public IPopup {
 public:
  CPopupHistoryTap(ITextCapture& capture, IPopup& popup, ILookupRecorder& recorder)
      : m_capture(capture), m_popup(popup), m_recorder(recorder) {}

  bool CreateRequest() override;
  Result Capture(std::uint32_t options, std::wstring_view ocrLanguage) override;
  void Show(const std::wstring& title, const std::wstring& body) override;

 private:
  ITextCapture& m_capture;
  IPopup& m_popup;
  ILookupRecorder& m_recorder;
  std::wstring m_captured;
  std::wstring m_lastWord, m_lastTitle, m_lastBody;
};

}  // namespace qv
