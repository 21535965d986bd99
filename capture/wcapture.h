// The text-capture component as its clients see it: class and interface identifiers and the
// dual interfaces, in method-table order. IUnknown and IDispatch take positions 0 to 6; every
// position after that is part of the binary contract, so never reorder, insert or remove here.
#pragma once

#include <windows.h>
#include <oaidl.h>

// Engine (assembly WCaptureX).
inline constexpr CLSID CLSID_WCapture = {
    0x8F267988, 0x0CA4, 0x418C, {0x8F, 0x94, 0xB4, 0xBC, 0x58, 0x62, 0xB3, 0x90}};
// Request (assembly WMonitorX).
inline constexpr CLSID CLSID_WInput = {
    0x4B484CCE, 0x9120, 0x49B7, {0xA5, 0xF2, 0xB8, 0xB1, 0x83, 0xBF, 0xD8, 0x08}};

inline constexpr IID IID_IWCapture = {
    0xC8C5926E, 0x1113, 0x4A03, {0xB8, 0x95, 0x82, 0x0F, 0xFA, 0xE4, 0xE7, 0x7A}};
inline constexpr IID IID_IWInput = {
    0x9544B959, 0x24EC, 0x477E, {0x81, 0x6E, 0xDD, 0x14, 0x31, 0x41, 0x69, 0x62}};
// The identifier the program asks for when it creates a request; the request answers it with
// the same IWInput method table.
inline constexpr IID IID_IWInputRequest = {
    0xC91076D6, 0x8F23, 0x4D34, {0xB7, 0x66, 0x14, 0xC5, 0xCB, 0xE2, 0xF2, 0xC1}};
inline constexpr IID IID_IWCaptureResult = {
    0x6629A892, 0x8148, 0x4501, {0xB9, 0xFA, 0x30, 0xA1, 0xF3, 0xE6, 0x98, 0x3C}};
inline constexpr IID IID_IWCaptureResult2 = {
    0x3D0F8C21, 0x6B5E, 0x4C7A, {0x9E, 0x12, 0x5A, 0x47, 0xC0, 0x1B, 0x8D, 0x63}};

// Request option bits (put_Options).
enum WCaptureOptions : unsigned short {
  WCO_WORD = 0x0001,  // the token under the point, with the punctuation that touches it
  WCO_LINE = 0x0002,  // the whole text of the element under the point (lines of EDIT controls)
  WCO_CONTEXT = 0x0004,  // with WCO_WORD, also the line or item around the token (IWCaptureResult2)
  WCO_OCR = 0x0100,   // recognise the screen around the point instead (language: put_OCRLanguage)
};

// How a result was obtained (IWCaptureResult::get_Source).
enum WCaptureSource : long {
  WCS_NONE = 0,
  WCS_EDIT = 1,        // EDIT control: EM_CHARFROMPOS and WM_GETTEXT
  WCS_RICHEDIT = 2,    // RichEdit control
  WCS_CONTROL = 3,     // static, button, check box, combo box face: text laid out in its font
  WCS_LISTBOX = 4,     // list-box item
  WCS_LISTVIEW = 5,    // list-view item label
  WCS_TREEVIEW = 6,    // tree-view item label
  WCS_CAPTION = 7,     // window caption
  WCS_AUTOMATION = 8,  // UI Automation text pattern
  WCS_OCR = 9,         // optical recognition
};

// The capture result. Position 7: get_Text.
struct IWCaptureResult : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_Text(BSTR* text) = 0;        // 7
  virtual HRESULT STDMETHODCALLTYPE get_Source(LONG* source) = 0;    // 8
  virtual HRESULT STDMETHODCALLTYPE get_Start(LONG* index) = 0;      // 9  token start in the element's text, -1 if unknown
};

// The result with the text around the token, where the request asked for it (WCO_CONTEXT) and
// the element gives it: the line of an edit or rich edit, the item of a list or tree, the
// line of a UI Automation text or of the recognised screen. Empty context, start -1 elsewhere.
struct IWCaptureResult2 : public IWCaptureResult {
  virtual HRESULT STDMETHODCALLTYPE get_Context(BSTR* text) = 0;        // 10
  virtual HRESULT STDMETHODCALLTYPE get_ContextStart(LONG* index) = 0;  // 11 token start in it
};

// The capture request: get/put pairs, put at the even positions 8 to 16 and 22, put_OCRLanguage
// at 29. Coordinates are screen pixels; hWnd is the window under the point (0: the engine
// finds it), passed as 32 bits like every window handle.
struct IWInput : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_hWnd(LONG* value) = 0;           // 7
  virtual HRESULT STDMETHODCALLTYPE put_hWnd(LONG value) = 0;            // 8
  virtual HRESULT STDMETHODCALLTYPE get_FromX(LONG* value) = 0;          // 9
  virtual HRESULT STDMETHODCALLTYPE put_FromX(LONG value) = 0;           // 10
  virtual HRESULT STDMETHODCALLTYPE get_FromY(LONG* value) = 0;          // 11
  virtual HRESULT STDMETHODCALLTYPE put_FromY(LONG value) = 0;           // 12
  virtual HRESULT STDMETHODCALLTYPE get_ToX(LONG* value) = 0;            // 13
  virtual HRESULT STDMETHODCALLTYPE put_ToX(LONG value) = 0;             // 14
  virtual HRESULT STDMETHODCALLTYPE get_ToY(LONG* value) = 0;            // 15
  virtual HRESULT STDMETHODCALLTYPE put_ToY(LONG value) = 0;             // 16
  virtual HRESULT STDMETHODCALLTYPE get_MaxChars(LONG* value) = 0;       // 17
  virtual HRESULT STDMETHODCALLTYPE put_MaxChars(LONG value) = 0;        // 18
  virtual HRESULT STDMETHODCALLTYPE get_Timeout(LONG* value) = 0;        // 19  ms per message to another process
  virtual HRESULT STDMETHODCALLTYPE put_Timeout(LONG value) = 0;         // 20
  virtual HRESULT STDMETHODCALLTYPE get_Options(SHORT* value) = 0;       // 21
  virtual HRESULT STDMETHODCALLTYPE put_Options(SHORT value) = 0;        // 22
  virtual HRESULT STDMETHODCALLTYPE get_OCRWidth(LONG* value) = 0;       // 23  recognised area, pixels
  virtual HRESULT STDMETHODCALLTYPE put_OCRWidth(LONG value) = 0;        // 24
  virtual HRESULT STDMETHODCALLTYPE get_OCRHeight(LONG* value) = 0;      // 25
  virtual HRESULT STDMETHODCALLTYPE put_OCRHeight(LONG value) = 0;       // 26
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;                         // 27  back to the defaults
  virtual HRESULT STDMETHODCALLTYPE get_OCRLanguage(BSTR* value) = 0;    // 28
  virtual HRESULT STDMETHODCALLTYPE put_OCRLanguage(BSTR value) = 0;     // 29
};

// The engine. Position 7: Capture.
struct IWCapture : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE Capture(IWInput* request, IWCaptureResult** result) = 0;  // 7
};

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IWCaptureResult, 0x6629A892, 0x8148, 0x4501, 0xB9, 0xFA, 0x30, 0xA1, 0xF3, 0xE6,
                0x98, 0x3C)
__CRT_UUID_DECL(IWCaptureResult2, 0x3D0F8C21, 0x6B5E, 0x4C7A, 0x9E, 0x12, 0x5A, 0x47, 0xC0, 0x1B,
                0x8D, 0x63)
__CRT_UUID_DECL(IWInput, 0x9544B959, 0x24EC, 0x477E, 0x81, 0x6E, 0xDD, 0x14, 0x31, 0x41, 0x69,
                0x62)
__CRT_UUID_DECL(IWCapture, 0xC8C5926E, 0x1113, 0x4A03, 0xB8, 0x95, 0x82, 0x0F, 0xFA, 0xE4, 0xE7,
                0x7A)
#endif
