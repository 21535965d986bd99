// UI Automation's text pattern: the word at a point in programs that draw their own text.
#pragma once

#include <windows.h>

#include <string>

#include "capture/request.h"

namespace qv::capture {

// True when running under Wine, whose UI Automation stubs end the calling process.
bool RunningUnderWine();
// True only where the system really provides UI Automation.
bool AutomationAvailable();

// Call only when AutomationAvailable(): under Wine 8 the UI Automation stubs end the process.
// The word whose bounding rectangles hold the point; empty when there is none, or when the
// program does not answer within budgetMs. withContext: also the line that holds it.
CaptureOutcome AutomationTextAt(POINT pt, size_t maxChars, DWORD budgetMs, bool withContext = false);

}  // namespace qv::capture
