// The component's COM objects and the module's life count behind DllCanUnloadNow.
#pragma once

#include <windows.h>

#include "capture/wcapture.h"

namespace qv::capture {

class OcrRecognizer;

// Live objects and server locks of this module.
void ModuleAddRef();
void ModuleRelease();
bool ModuleInUse();

// Create an object and ask it for `iid`. The engine uses `ocr` for WCO_OCR requests (null: the
// system's recognizer).
HRESULT CreateEngine(REFIID iid, void** out, OcrRecognizer* ocr = nullptr);
HRESULT CreateRequest(REFIID iid, void** out);

// Sets the thread's error object (source "WCaptureX") and returns `hr`.
HRESULT Fail(HRESULT hr, REFIID iid, const wchar_t* description);

}  // namespace qv::capture
