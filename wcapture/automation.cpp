// The UI Automation client interfaces are declared here because mingw-w64's headers lack them;
// only the method-table positions we call are named, the others are placeholders that keep the
// positions right.
#include "wcapture/automation.h"

#include <objbase.h>
#include <oleauto.h>

namespace qv::capture {
namespace {

constexpr CLSID kClsidCUIAutomation = {
    0xFF48DBA4, 0x60EF, 0x4201, {0xAA, 0x87, 0x54, 0x10, 0x3E, 0xEF, 0x59, 0x4E}};
constexpr IID kIidIUIAutomation = {
    0x30CBE57D, 0xD9D0, 0x452A, {0xAB, 0x13, 0x7A, 0xC5, 0xAC, 0x48, 0x25, 0xEE}};
constexpr IID kIidIUIAutomationTextPattern = {
    0x32EBA289, 0x3583, 0x42C9, {0x9C, 0x59, 0x3B, 0x6D, 0x9A, 0x1E, 0x9B, 0x6A}};
constexpr int kTextPatternId = 10014;
constexpr int kTextUnitWord = 2;

struct IUiaTextRange : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Clone(void**) = 0;                        // 3
  virtual HRESULT STDMETHODCALLTYPE Compare(void*, BOOL*) = 0;                // 4
  virtual HRESULT STDMETHODCALLTYPE CompareEndpoints(int, void*, int, int*) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE ExpandToEnclosingUnit(int unit) = 0;      // 6
  virtual HRESULT STDMETHODCALLTYPE FindAttribute(int, VARIANT, BOOL, void**) = 0;  // 7
  virtual HRESULT STDMETHODCALLTYPE FindText(BSTR, BOOL, BOOL, void**) = 0;   // 8
  virtual HRESULT STDMETHODCALLTYPE GetAttributeValue(int, VARIANT*) = 0;     // 9
  virtual HRESULT STDMETHODCALLTYPE GetBoundingRectangles(SAFEARRAY**) = 0;   // 10
  virtual HRESULT STDMETHODCALLTYPE GetEnclosingElement(void**) = 0;          // 11
  virtual HRESULT STDMETHODCALLTYPE GetText(int maxLength, BSTR* text) = 0;   // 12
};

struct IUiaTextPattern : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE RangeFromPoint(POINT pt, IUiaTextRange** range) = 0;  // 3
};

struct IUiaElement : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;                            // 3
  virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY**) = 0;             // 4
  virtual HRESULT STDMETHODCALLTYPE FindFirst(int, void*, void**) = 0;         // 5
  virtual HRESULT STDMETHODCALLTYPE FindAll(int, void*, void**) = 0;           // 6
  virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(int, void*, void*, void**) = 0;  // 7
  virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(int, void*, void*, void**) = 0;    // 8
  virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(void*, void**) = 0;      // 9
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(int, VARIANT*) = 0;  // 10
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValueEx(int, BOOL, VARIANT*) = 0;  // 11
  virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValue(int, VARIANT*) = 0;  // 12
  virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValueEx(int, BOOL, VARIANT*) = 0;  // 13
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPatternAs(int, REFIID, void**) = 0;  // 14
};

struct IUiaAutomation : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CompareElements(void*, void*, BOOL*) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(SAFEARRAY*, SAFEARRAY*, BOOL*) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE GetRootElement(IUiaElement**) = 0;         // 5
  virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND, IUiaElement**) = 0;  // 6
  virtual HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT, IUiaElement**) = 0;  // 7
};

template <typename T>
struct Ref {
  T* p = nullptr;
  ~Ref() {
    if (p) p->Release();
  }
  T** put() { return &p; }
  T* operator->() const { return p; }
  explicit operator bool() const { return p != nullptr; }
};

}  // namespace

bool AutomationAvailable() {
  if (RunningUnderWine()) return false;
  // UI Automation's client side ships with Windows 7 and later; without the library there is
  // nothing to ask.
  static const bool present = LoadLibraryExW(L"UIAutomationCore.dll", nullptr,
                                             LOAD_LIBRARY_SEARCH_SYSTEM32) != nullptr;
  return present;
}

CaptureOutcome AutomationTextAt(POINT pt, size_t maxChars) {
  if (!AutomationAvailable()) return {};
  Ref<IUiaAutomation> uia;
  if (FAILED(CoCreateInstance(kClsidCUIAutomation, nullptr, CLSCTX_INPROC_SERVER, kIidIUIAutomation,
                              reinterpret_cast<void**>(uia.put()))))
    return {};
  Ref<IUiaElement> element;
  if (FAILED(uia->ElementFromPoint(pt, element.put())) || !element) return {};
  Ref<IUiaTextPattern> pattern;
  if (FAILED(element->GetCurrentPatternAs(kTextPatternId, kIidIUIAutomationTextPattern,
                                          reinterpret_cast<void**>(pattern.put()))) ||
      !pattern)
    return {};
  Ref<IUiaTextRange> range;
  if (FAILED(pattern->RangeFromPoint(pt, range.put())) || !range) return {};
  if (FAILED(range->ExpandToEnclosingUnit(kTextUnitWord))) return {};
  BSTR text = nullptr;
  if (FAILED(range->GetText(static_cast<int>(maxChars), &text)) || !text) return {};
  std::wstring word(text, SysStringLen(text));
  SysFreeString(text);
  // A word range keeps the spaces that follow it.
  while (!word.empty() && iswspace(word.back())) word.pop_back();
  while (!word.empty() && iswspace(word.front())) word.erase(word.begin());
  if (word.empty()) return {};
  return {std::move(word), WCS_AUTOMATION, -1};
}

}  // namespace qv::capture
