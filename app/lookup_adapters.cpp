#include "app/lookup_adapters.h"

#include <oleauto.h>

#include "platform/kernel_win.h"

namespace qv {
namespace {

// The look-up's options, written in the portable core, are the component's option bits.
static_assert(kCaptureOptions == WCO_WORD && kCaptureRecognition == WCO_OCR);

// A failed call: its code and, when the component set error information, its description.
ComponentError ErrorOf(HRESULT hr) {
  ComponentError error{static_cast<std::uint32_t>(hr), std::nullopt};
  Microsoft::WRL::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) == S_OK && info) {
    platform::UniqueBstr description;
    if (SUCCEEDED(info->GetDescription(description.put())) && description)
      error.description = std::wstring(description.get(), SysStringLen(description.get()));
  }
  return error;
}

}  // namespace

HRESULT CComTextCapture::CreateEngine() noexcept {
  if (m_engine) return S_OK;
  return CoCreateInstance(CLSID_WCapture, nullptr, CLSCTX_ALL, IID_IWCapture,
                          reinterpret_cast<void**>(m_engine.ReleaseAndGetAddressOf()));
}

bool CComTextCapture::CreateRequest() {
  GetCursorPos(&m_ptMouse);
  m_windowUnder = WindowFromPoint(m_ptMouse);
  if (m_request && !m_recognition) return true;
  m_request.Reset();
  m_recognition = false;
  return SUCCEEDED(CoCreateInstance(CLSID_WInput, nullptr, CLSCTX_ALL, IID_IWInputRequest,
                                    reinterpret_cast<void**>(m_request.GetAddressOf())));
}

ITextCapture::Result CComTextCapture::Capture(std::uint32_t options, std::wstring_view ocrLanguage) {
  Result result;
  if (!m_request) return result;
  auto check = [&](HRESULT hr) {
    if (FAILED(hr) && !result.error) result.error = ErrorOf(hr);
    return SUCCEEDED(hr);
  };
  // Window handles travel as 32 bits: the system keeps them within that range.
  const LONG hwnd = static_cast<LONG>(reinterpret_cast<LONG_PTR>(m_windowUnder));
  if (!ocrLanguage.empty()) {
    platform::UniqueBstr lang(SysAllocStringLen(ocrLanguage.data(), static_cast<UINT>(ocrLanguage.size())));
    m_request->put_OCRLanguage(lang.get());  // its outcome does not matter
    m_recognition = true;
  }
  if (!check(m_request->put_hWnd(hwnd)) || !check(m_request->put_FromX(m_ptMouse.x)) ||
      !check(m_request->put_FromY(m_ptMouse.y)) || !check(m_request->put_ToX(m_ptMouse.x)) ||
      !check(m_request->put_ToY(m_ptMouse.y)) ||
      !check(m_request->put_Options(static_cast<SHORT>(options | WCO_CONTEXT))))
    return result;
  if (!m_engine) {
    result.error = ComponentError{static_cast<std::uint32_t>(E_POINTER), std::nullopt};
    return result;
  }
  Microsoft::WRL::ComPtr<IWCaptureResult> captured;
  if (!check(m_engine->Capture(m_request.Get(), &captured)) || !captured) return result;
  platform::UniqueBstr text;
  if (check(captured->get_Text(text.put())) && text)
    result.text.assign(text.get(), SysStringLen(text.get()));
  // The text around the word finds the expression it stands in; a component without it gives
  // the word alone.
  Microsoft::WRL::ComPtr<IWCaptureResult2> withContext;
  platform::UniqueBstr context;
  LONG start = -1;
  if (!result.text.empty() && SUCCEEDED(captured.As(&withContext)) &&
      SUCCEEDED(withContext->get_Context(context.put())) && context &&
      SUCCEEDED(withContext->get_ContextStart(&start))) {
    result.context.assign(context.get(), SysStringLen(context.get()));
    result.contextStart = start;
  }
  return result;
}

void CDialogMessages::Show(const std::wstring& text, const std::wstring&, Kind) {
  OutputDebugStringW((L"QV: text capture failed: " + text + L"\n").c_str());
  PostMessageW(m_owner, kCaptureFailedMessage, 0, 0);
}

void CTooltipPopup::Show(const std::wstring& title, const std::wstring& body) {
  POINT pt{};
  GetCursorPos(&pt);
  if (m_tooltip.hwnd() && IsWindowVisible(m_tooltip.hwnd()) && pt.x == m_pointer.x &&
      pt.y == m_pointer.y && title == m_title && body == m_body)
    return;
  m_title = title;
  m_body = body;
  m_pointer = pt;
  if (!m_tooltip.Create(m_owner, title.c_str())) return;
  m_tooltip.SetMaxWidth(500);
  m_tooltip.SetText(body.c_str());
  m_tooltip.ShowAtCursor();
}

}  // namespace qv
