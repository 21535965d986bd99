// The UI Automation client interfaces are declared here because mingw-w64's headers lack them;
// only the method-table positions we call are named, the others are placeholders that keep the
// positions right.
#include "capture/automation.h"

#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <functional>

#include "platform/kernel_win.h"

namespace qv::capture {
namespace {

// CUIAutomation8 (Windows 8 and later) answers IUIAutomation2, whose timeouts can be set.
constexpr CLSID kClsidCUIAutomation8 = {
    0xE22AD333, 0xB25F, 0x460C, {0x83, 0xD0, 0x05, 0x81, 0x10, 0x73, 0x95, 0xC9}};
constexpr IID kIidIUIAutomation2 = {
    0x34723AFF, 0x0C9D, 0x49D0, {0x98, 0x96, 0x7A, 0xB5, 0x2D, 0xF8, 0xCD, 0x8A}};
// IUIAutomation2 adds six methods after IUIAutomation's 55: put_ConnectionTimeout is at 61,
// put_TransactionTimeout at 63.
constexpr int kPutConnectionTimeout = 61;
constexpr int kPutTransactionTimeout = 63;
constexpr IID kIidIUIAutomationTextPattern = {
    0x32EBA289, 0x3583, 0x42C9, {0x9C, 0x59, 0x3B, 0x6D, 0x9A, 0x1E, 0x9B, 0x6A}};
constexpr int kTextPatternId = 10014;
constexpr int kTextUnitWord = 2;
constexpr int kTextUnitLine = 3;
constexpr int kEndpointStart = 0;
constexpr int kEndpointEnd = 1;

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
  virtual HRESULT STDMETHODCALLTYPE Move(int, int, int*) = 0;                 // 13
  virtual HRESULT STDMETHODCALLTYPE MoveEndpointByUnit(int, int, int, int*) = 0;  // 14
  virtual HRESULT STDMETHODCALLTYPE MoveEndpointByRange(int endpoint, IUiaTextRange* range,
                                                        int targetEndpoint) = 0;  // 15
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

HRESULT PutTimeout(IUnknown* obj, int slot, DWORD ms) {
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, DWORD);
  return reinterpret_cast<Fn>((*reinterpret_cast<void***>(obj))[slot])(obj, ms);
}

// True when one of the range's rectangles (screen pixels) holds the point. UI Automation's
// RangeFromPoint answers with the range nearest the point, wherever that is.
bool RangeHolds(IUiaTextRange* range, POINT pt) {
  SAFEARRAY* rects = nullptr;
  if (FAILED(range->GetBoundingRectangles(&rects)) || !rects) return false;
  bool holds = false;
  double* v = nullptr;
  LONG lo = 0, hi = -1;
  VARTYPE vt = VT_EMPTY;
  if (SUCCEEDED(SafeArrayGetVartype(rects, &vt)) && vt == VT_R8 &&
      SUCCEEDED(SafeArrayGetLBound(rects, 1, &lo)) && SUCCEEDED(SafeArrayGetUBound(rects, 1, &hi)) &&
      SUCCEEDED(SafeArrayAccessData(rects, reinterpret_cast<void**>(&v)))) {
    const LONG n = hi - lo + 1;
    for (LONG i = 0; i + 3 < n && !holds; i += 4)  // left, top, width, height
      holds = pt.x >= v[i] && pt.x < v[i] + v[i + 2] && pt.y >= v[i + 1] && pt.y < v[i + 1] + v[i + 3];
    SafeArrayUnaccessData(rects);
  }
  SafeArrayDestroy(rects);
  return holds;
}

std::wstring TextOf(IUiaTextRange* range, int maxChars) {
  platform::UniqueBstr text;
  if (FAILED(range->GetText(maxChars, text.put())) || !text) return {};
  return std::wstring(text.get(), SysStringLen(text.get()));
}

// The line that holds the word range, and where the word starts in it: the line from its start
// to the word's start, measured. Nothing when a request fails or the budget is spent.
void LineAround(IUiaTextRange* word, size_t maxChars, const std::function<bool()>& inTime,
                CaptureOutcome& out) {
  Microsoft::WRL::ComPtr<IUiaTextRange> line, before;
  if (FAILED(word->Clone(reinterpret_cast<void**>(line.GetAddressOf()))) || !line || !inTime() ||
      FAILED(line->ExpandToEnclosingUnit(kTextUnitLine)) || !inTime() ||
      FAILED(line->Clone(reinterpret_cast<void**>(before.GetAddressOf()))) || !before || !inTime() ||
      FAILED(before->MoveEndpointByRange(kEndpointEnd, word, kEndpointStart)) || !inTime())
    return;
  const std::wstring text = TextOf(line.Get(), static_cast<int>(maxChars));
  if (!inTime()) return;
  const size_t start = TextOf(before.Get(), static_cast<int>(maxChars)).size();
  // The word range may begin with the spaces before the word.
  const size_t at = text.find(out.text, start);
  if (at == std::wstring::npos || at > start + 8) return;
  out.context = text;
  out.contextStart = static_cast<long>(at);
}

}  // namespace

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

bool AutomationAvailable() {
  if (RunningUnderWine()) return false;
  // UI Automation's client side ships with Windows 7 and later; without the library there is
  // nothing to ask.
  static const bool present = LoadLibraryExW(L"UIAutomationCore.dll", nullptr,
                                             LOAD_LIBRARY_SEARCH_SYSTEM32) != nullptr;
  return present;
}

CaptureOutcome AutomationTextAt(POINT pt, size_t maxChars, DWORD budgetMs, bool withContext) {
  if (!AutomationAvailable() || budgetMs == 0) return {};
  // Without IUIAutomation2 (Windows 7) the waits could not be bounded: a program that does not
  // answer would hold the thread for seconds (2 s to connect, 20 s per request by default).
  Microsoft::WRL::ComPtr<IUiaAutomation> uia;
  if (FAILED(CoCreateInstance(kClsidCUIAutomation8, nullptr, CLSCTX_INPROC_SERVER, kIidIUIAutomation2,
                              reinterpret_cast<void**>(uia.GetAddressOf()))) ||
      !uia)
    return {};
  // Each request to the program may take what is left of the budget, and no more.
  const Deadline deadline(budgetMs);
  auto inTime = [&] {
    DWORD left = deadline.Remaining();
    return left > 0 && SUCCEEDED(PutTimeout(uia.Get(), kPutTransactionTimeout, left));
  };
  if (!inTime() || FAILED(PutTimeout(uia.Get(), kPutConnectionTimeout, deadline.Remaining()))) return {};
  Microsoft::WRL::ComPtr<IUiaElement> element;
  if (FAILED(uia->ElementFromPoint(pt, element.GetAddressOf())) || !element || !inTime()) return {};
  Microsoft::WRL::ComPtr<IUiaTextPattern> pattern;
  if (FAILED(element->GetCurrentPatternAs(kTextPatternId, kIidIUIAutomationTextPattern,
                                          reinterpret_cast<void**>(pattern.GetAddressOf()))) ||
      !pattern || !inTime())
    return {};
  Microsoft::WRL::ComPtr<IUiaTextRange> range;
  if (FAILED(pattern->RangeFromPoint(pt, range.GetAddressOf())) || !range || !inTime()) return {};
  if (FAILED(range->ExpandToEnclosingUnit(kTextUnitWord)) || !inTime() ||
      !RangeHolds(range.Get(), pt) || !inTime())
    return {};
  platform::UniqueBstr text;
  if (FAILED(range->GetText(static_cast<int>(maxChars), text.put())) || !text) return {};
  std::wstring word(text.get(), SysStringLen(text.get()));
  // A word range keeps the spaces that follow it.
  while (!word.empty() && iswspace(word.back())) word.pop_back();
  while (!word.empty() && iswspace(word.front())) word.erase(word.begin());
  if (word.empty()) return {};
  CaptureOutcome out{std::move(word), WCS_AUTOMATION, -1};
  if (withContext && inTime()) LineAround(range.Get(), maxChars, inTime, out);
  return out;
}

}  // namespace qv::capture
