// Engine, request and result. Each is a dual interface whose IDispatch half is not served (no
// type library: clients bind to the method table), and each supports error objects, so that a
// failed call carries a description the program can show. No exception leaves a method.
#include "capture/objects.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <atomic>
#include <new>
#include <optional>
#include <string>

#include "capture/capture.h"
#include "capture/ocr.h"
#include "capture/refcount.h"
#include "platform/kernel_win.h"
#include "platform/trace.h"

namespace qv::capture {
namespace {

std::atomic<long> g_moduleCount{0};

// IUnknown, IDispatch and ISupportErrorInfo for an object whose one interface is `Itf`.
template <typename Itf>
class DualObject : public Itf, public ISupportErrorInfo {
 public:
  DualObject() { ModuleAddRef(); }
  virtual ~DualObject() { ModuleRelease(); }
  DualObject(const DualObject&) = delete;
  DualObject& operator=(const DualObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || Answers(iid))
      return Answer(static_cast<Itf*>(this), out);
    return Answer(iid == IID_ISupportErrorInfo ? static_cast<ISupportErrorInfo*>(this) : nullptr, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return m_refs.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return m_refs.Release(this); }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return Answers(iid) ? S_OK : S_FALSE;
  }

 protected:
  virtual bool Answers(REFIID iid) const = 0;
  virtual REFIID MainIid() const = 0;
  HRESULT Error(HRESULT hr, const wchar_t* text) const { return Fail(hr, MainIid(), text); }

 private:
  RefCount m_refs;
};

class CResult final : public DualObject<IWCaptureResult2> {
 public:
  explicit CResult(CaptureOutcome o) : m_outcome(std::move(o)) {}

  HRESULT STDMETHODCALLTYPE get_Text(BSTR* text) override {
    return Give(m_outcome.text, text, L"get_Text: the text argument is a null pointer.",
                L"get_Text: out of memory.");
  }
  HRESULT STDMETHODCALLTYPE get_Source(LONG* source) override {
    return Give(m_outcome.source, source, L"get_Source: the source argument is a null pointer.");
  }
  HRESULT STDMETHODCALLTYPE get_Start(LONG* index) override {
    return Give(m_outcome.start, index, L"get_Start: the index argument is a null pointer.");
  }
  HRESULT STDMETHODCALLTYPE get_Context(BSTR* text) override {
    return Give(m_outcome.context, text, L"get_Context: the text argument is a null pointer.",
                L"get_Context: out of memory.");
  }
  HRESULT STDMETHODCALLTYPE get_ContextStart(LONG* index) override {
    return Give(m_outcome.contextStart, index,
                L"get_ContextStart: the index argument is a null pointer.");
  }

 protected:
  bool Answers(REFIID iid) const override {
    return iid == IID_IWCaptureResult || iid == IID_IWCaptureResult2;
  }
  REFIID MainIid() const override { return IID_IWCaptureResult; }

 private:
  // A property's value handed to the caller: a copy of the text (the caller frees it) or the
  // number, or the failure the caller is told of.
  HRESULT Give(const std::wstring& value, BSTR* out, const wchar_t* nullText,
               const wchar_t* memoryText) const {
    if (!out) return Error(E_POINTER, nullText);
    *out = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    return *out ? S_OK : Error(E_OUTOFMEMORY, memoryText);
  }
  HRESULT Give(LONG value, LONG* out, const wchar_t* nullText) const {
    if (!out) return Error(E_POINTER, nullText);
    *out = value;
    return S_OK;
  }

  CaptureOutcome m_outcome;
};

class CRequest final : public DualObject<IWInput> {
 public:
  CRequest() { Reset(); }

#define QV_LONG_PROPERTY(Name, member, check, message)                               \
  HRESULT STDMETHODCALLTYPE get_##Name(LONG* value) override {                       \
    if (!value) return Error(E_POINTER, L"get_" L## #Name L": null pointer.");       \
    *value = member;                                                                 \
    return S_OK;                                                                     \
  }                                                                                  \
  HRESULT STDMETHODCALLTYPE put_##Name(LONG value) override {                        \
    if (!(check)) return Error(E_INVALIDARG, message);                               \
    member = value;                                                                  \
    return S_OK;                                                                     \
  }

  // Any value: a window that has gone between WindowFromPoint and the capture is no error, the
  // engine then finds the window from the point.
  QV_LONG_PROPERTY(hWnd, m_hwnd, true, L"")
  QV_LONG_PROPERTY(FromX, m_fromX, true, L"")
  QV_LONG_PROPERTY(FromY, m_fromY, true, L"")
  QV_LONG_PROPERTY(ToX, m_toX, true, L"")
  QV_LONG_PROPERTY(ToY, m_toY, true, L"")
  QV_LONG_PROPERTY(MaxChars, m_maxChars, value >= 1 && value <= 1 << 20,
                   L"put_MaxChars: the value must lie between 1 and 1048576.")
  QV_LONG_PROPERTY(Timeout, m_timeout, value >= 1 && value <= 60000,
                   L"put_Timeout: the value must lie between 1 and 60000 milliseconds.")
  QV_LONG_PROPERTY(OCRWidth, m_ocrWidth, value >= 8 && value <= 4096,
                   L"put_OCRWidth: the value must lie between 8 and 4096 pixels.")
  QV_LONG_PROPERTY(OCRHeight, m_ocrHeight, value >= 8 && value <= 4096,
                   L"put_OCRHeight: the value must lie between 8 and 4096 pixels.")
#undef QV_LONG_PROPERTY

  HRESULT STDMETHODCALLTYPE get_Options(SHORT* value) override {
    if (!value) return Error(E_POINTER, L"get_Options: null pointer.");
    *value = static_cast<SHORT>(m_options);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Options(SHORT value) override {
    m_options = static_cast<unsigned short>(value);
    return S_OK;
  }
  // The engine's own defaults.
  HRESULT STDMETHODCALLTYPE Reset() override {
    const CaptureRequest defaults;
    m_hwnd = m_fromX = m_fromY = m_toX = m_toY = 0;
    m_maxChars = static_cast<LONG>(defaults.maxChars);
    m_timeout = static_cast<LONG>(defaults.timeoutMs);
    m_options = static_cast<unsigned short>(defaults.options);
    m_ocrWidth = defaults.ocrArea.cx;
    m_ocrHeight = defaults.ocrArea.cy;
    m_language = defaults.ocrLanguage;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_OCRLanguage(BSTR* value) override {
    if (!value) return Error(E_POINTER, L"get_OCRLanguage: null pointer.");
    *value = SysAllocStringLen(m_language.data(), static_cast<UINT>(m_language.size()));
    return *value ? S_OK : Error(E_OUTOFMEMORY, L"get_OCRLanguage: out of memory.");
  }
  HRESULT STDMETHODCALLTYPE put_OCRLanguage(BSTR value) override {
    try {
      std::wstring code(value ? value : L"", value ? SysStringLen(value) : 0);
      if (OcrLanguageTagValid(code)) {
        m_language = std::move(code);
        return S_OK;
      }
      return Error(E_INVALIDARG,
                   L"put_OCRLanguage: not a language code (expected e.g. \"eng\" or \"en-US\").");
    } catch (const std::bad_alloc&) {
      return Error(E_OUTOFMEMORY, L"put_OCRLanguage: out of memory.");
    }
  }

 protected:
  bool Answers(REFIID iid) const override {
    return iid == IID_IWInput || iid == IID_IWInputRequest;
  }
  REFIID MainIid() const override { return IID_IWInput; }

 private:
  static bool OcrLanguageTagValid(const std::wstring& code);

  LONG m_hwnd, m_fromX, m_fromY, m_toX, m_toY, m_maxChars, m_timeout, m_ocrWidth, m_ocrHeight;
  unsigned short m_options;
  std::wstring m_language;
};

class CEngine final : public DualObject<IWCapture> {
 public:
  explicit CEngine(OcrRecognizer* ocr) : m_ocr(ocr) {}

  HRESULT STDMETHODCALLTYPE Capture(IWInput* request, IWCaptureResult** result) override {
    if (!result) return Error(E_POINTER, L"Capture: the result argument is a null pointer.");
    *result = nullptr;
    if (!request) return Error(E_POINTER, L"Capture: the request argument is a null pointer.");
    try {
      // The request may come from another module: read it through its interface only.
      CaptureRequest req;
      LONG hwnd = 0, x = 0, y = 0, maxChars = 0, timeout = 0, ocrW = 0, ocrH = 0;
      SHORT options = 0;
      platform::UniqueBstr lang;
      HRESULT hr = S_OK;
      if (FAILED(hr = request->get_hWnd(&hwnd)) || FAILED(hr = request->get_FromX(&x)) ||
          FAILED(hr = request->get_FromY(&y)) || FAILED(hr = request->get_Options(&options)) ||
          FAILED(hr = request->get_MaxChars(&maxChars)) ||
          FAILED(hr = request->get_Timeout(&timeout)) ||
          FAILED(hr = request->get_OCRWidth(&ocrW)) || FAILED(hr = request->get_OCRHeight(&ocrH)) ||
          FAILED(hr = request->get_OCRLanguage(lang.put())))
        return Error(hr, L"Capture: the request could not be read.");
      req.hwnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(hwnd));
      req.pt = {x, y};
      req.options = static_cast<unsigned short>(options);
      req.maxChars = maxChars > 0 ? static_cast<size_t>(maxChars) : 1;
      req.timeoutMs = timeout > 0 ? static_cast<DWORD>(timeout) : 1;
      req.ocrArea = {ocrW, ocrH};
      req.ocrLanguage.assign(lang ? lang.get() : L"", lang ? SysStringLen(lang.get()) : 0);

      // A look-up asks twice at one point, the retry with recognition right after the plain
      // capture found nothing: both share one budget.
      const bool ocr = req.options & WCO_OCR;
      if (!ocr) {
        m_lookup.emplace(req.budgetMs);
        m_lookupPt = req.pt;
      } else if (m_lookup && m_lookupPt.x == req.pt.x && m_lookupPt.y == req.pt.y) {
        req.budgetMs = m_lookup->Remaining();
        m_lookup.reset();
      }
      // The program retries with recognition at every tick while the pointer rests on a spot
      // where nothing is found: a blank spot is recognised once, and again only after a while,
      // since the screen may have changed meanwhile.
      CaptureOutcome outcome;
      if (!ocr || !m_blank.Known(req.pt)) {
        outcome = CaptureAt(req, m_ocr);
        if (ocr && req.budgetMs > 0) m_blank.Remember(req.pt, outcome.text.empty());
      }
      *result = new CResult(std::move(outcome));
      return S_OK;
    } catch (const std::bad_alloc&) {
      return Error(E_OUTOFMEMORY, L"Capture: out of memory.");
    } catch (...) {
      platform::TraceFailure(L"capturing the text under the pointer");
      return Error(E_UNEXPECTED, L"Capture: unexpected failure.");
    }
  }

 protected:
  bool Answers(REFIID iid) const override { return iid == IID_IWCapture; }
  REFIID MainIid() const override { return IID_IWCapture; }

 private:
  OcrRecognizer* m_ocr;
  BlankSpotMemo m_blank;
  std::optional<Deadline> m_lookup;  // the budget of the last plain capture, and its point
  POINT m_lookupPt{};
};

template <typename T, typename... Args>
HRESULT Create(REFIID iid, void** out, Args&&... args) {
  if (!out) return E_POINTER;
  *out = nullptr;
  T* obj = new (std::nothrow) T(std::forward<Args>(args)...);
  if (!obj) return E_OUTOFMEMORY;
  HRESULT hr = obj->QueryInterface(iid, out);
  obj->Release();
  return hr;
}

}  // namespace

bool CRequest::OcrLanguageTagValid(const std::wstring& code) { return !OcrLanguageTag(code).empty(); }

void ModuleAddRef() { ++g_moduleCount; }
void ModuleRelease() { --g_moduleCount; }
bool ModuleInUse() { return g_moduleCount.load() != 0; }

HRESULT CreateEngine(REFIID iid, void** out, OcrRecognizer* ocr) {
  return Create<CEngine>(iid, out, ocr);
}
HRESULT CreateRequest(REFIID iid, void** out) { return Create<CRequest>(iid, out); }

HRESULT Fail(HRESULT hr, REFIID iid, const wchar_t* description) {
  Microsoft::WRL::ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(&create))) {
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(L"WCaptureX"));
    create->SetDescription(const_cast<LPOLESTR>(description));
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(info.GetAddressOf()))))
      SetErrorInfo(0, info.Get());
  }
  return hr;
}

}  // namespace qv::capture
