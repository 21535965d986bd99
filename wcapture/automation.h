// UI Automation's text pattern: the word at a point in programs that draw their own text.
#pragma once

#include <windows.h>

#include <string>

#include "wcapture/capture.h"

namespace qv::capture {

// Call only when AutomationAvailable(): under Wine 8 the UI Automation stubs end the process.
CaptureOutcome AutomationTextAt(POINT pt, size_t maxChars);

}  // namespace qv::capture
