// What every way of finding the text shares: the request as the engine reads it, its time
// budget and its outcome.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <string_view>

#include "capture/wcapture.h"

namespace qv::capture {

class OcrRecognizer;

// The time left to one capture. The capture runs on the caller's thread (the program's main
// thread, at a tick of the hover timer), which a program that answers slowly must not hold for
// long: every way of finding the text shares one budget.
class Deadline {
 public:
  explicit Deadline(DWORD ms)
      : m_end(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms)) {}
  // Whole milliseconds left; 0 once the budget is spent.
  DWORD Remaining() const {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        m_end - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
  }

 private:
  std::chrono::steady_clock::time_point m_end;
};

// A capture request as the engine reads it. Its initial values are the request's defaults,
// which IWInput::Reset also gives.
struct CaptureRequest {
  HWND hwnd = nullptr;         // window under the point; null or gone: found from the point
  POINT pt{};                  // screen coordinates
  unsigned options = WCO_WORD;
  size_t maxChars = 1024;      // longer results are cut around the point
  DWORD timeoutMs = 250;       // per message sent to another thread; a hung program gives nothing
  DWORD budgetMs = 150;        // the whole capture, every path together
  std::wstring ocrLanguage = L"eng";
  SIZE ocrArea{480, 96};
};

struct CaptureOutcome {
  std::wstring text;           // empty: nothing under the point
  long source = WCS_NONE;
  long start = -1;             // index of the text in the element's text, when known
  std::wstring context{};      // with WCO_CONTEXT: the line or item around the text
  long contextStart = -1;      // index of the text in the context
};

// The whitespace-delimited token that holds text[index], punctuation included; false when
// text[index] is whitespace or out of range.
bool TokenAt(std::wstring_view text, size_t index, size_t& start, size_t& end);

}  // namespace qv::capture
