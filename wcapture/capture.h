// What the engine does behind its COM face: find the text at a screen point.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "wcapture/wcapture.h"

namespace qv::capture {

class OcrRecognizer;

struct CaptureRequest {
  HWND hwnd = nullptr;         // window under the point; null or gone: found from the point
  POINT pt{};                  // screen coordinates
  unsigned options = WCO_WORD;
  size_t maxChars = 1024;      // longer results are cut around the point
  DWORD timeoutMs = 250;       // per message sent to another process; a hung program gives nothing
  std::wstring ocrLanguage = L"eng";
  SIZE ocrArea{480, 96};
};

struct CaptureOutcome {
  std::wstring text;           // empty: nothing under the point
  long source = WCS_NONE;
  long start = -1;             // index of the text in the element's text, when known
};

// Never throws for a missing or uncooperative window; only std::bad_alloc escapes.
// `ocr` serves requests with WCO_OCR; null means the system's recognizer.
CaptureOutcome CaptureAt(const CaptureRequest& req, OcrRecognizer* ocr = nullptr);

// The whitespace-delimited token that holds text[index], punctuation included; false when
// text[index] is whitespace or out of range.
bool TokenAt(std::wstring_view text, size_t index, size_t& start, size_t& end);

// True when running under Wine, whose UI Automation stubs end the calling process.
bool RunningUnderWine();
// True only where the system really provides UI Automation.
bool AutomationAvailable();

}  // namespace qv::capture
