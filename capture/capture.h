// What the engine does behind its COM face: find the text at a screen point.
#pragma once

#include <windows.h>

#include "capture/request.h"

namespace qv::capture {

// Never throws for a missing or uncooperative window; only std::bad_alloc escapes. Returns the
// empty text once req.budgetMs has passed.
// `ocr` serves requests with WCO_OCR; null means the system's recognizer.
CaptureOutcome CaptureAt(const CaptureRequest& req, OcrRecognizer* ocr = nullptr);

}  // namespace qv::capture
