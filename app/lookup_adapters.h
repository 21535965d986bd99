// The look-up's Windows services: the capture component reached through COM, the report of a
// failing component to the main dialog, and the translation popup.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <string>

#include "core/lookup/lookup.h"
#include "app/tooltip.h"
#include "capture/wcapture.h"

namespace qv {

class CComTextCapture : public ITextCapture {
 public:
  // The engine, created once by the main dialog and kept for its lifetime; S_OK at once when
  // it is already there.
  HRESULT CreateEngine() noexcept;
  void ReleaseEngine() noexcept { m_engine.Reset(); }

  // Reads the pointer and the window under it, and creates the request for them. A request
  // already made is used again, unless a recognition retry changed it.
  bool CreateRequest() override;
  Result Capture(std::uint32_t options, std::wstring_view ocrLanguage) override;

 private:
  Microsoft::WRL::ComPtr<IWCapture> m_engine;
  Microsoft::WRL::ComPtr<IWInput> m_request;
  POINT m_ptMouse{};
  HWND m_windowUnder = nullptr;
  bool m_recognition = false;  // the request carries a recognition language
};

// Posted to the main dialog when the capture component cannot be created or a call of it fails.
inline constexpr UINT kCaptureFailedMessage = WM_APP + 21;

// The look-up's only messages are the capture component's failures. They run on the hook's and
// the hover timer's path, where a modal box would take the focus from the program under the
// pointer and come back at every tick: they are handed to the main dialog instead, which tells
// the user once, in a tray balloon, and switches look-ups off.
class CDialogMessages : public IMessageBox {
 public:
  explicit CDialogMessages(const HWND& owner) : m_owner(owner) {}
  void Show(const std::wstring& text, const std::wstring& caption, Kind kind) override;

 private:
  const HWND& m_owner;
};

// Shows a result in the popup. While the hot key stays held the same result comes back at every
// tick of the hover timer: when the popup already shows that title and body for the same pointer
// position it is left as it is, so that it neither flickers nor costs a new layout.
class CTooltipPopup : public IPopup {
 public:
  CTooltipPopup(CTooltip& tooltip, const HWND& owner) : m_tooltip(tooltip), m_owner(owner) {}
  void Show(const std::wstring& title, const std::wstring& body) override;

 private:
  CTooltip& m_tooltip;
  const HWND& m_owner;
  std::wstring m_title, m_body;
  POINT m_pointer{};
};

}  // namespace qv
