// Text at a screen point: the window under it, handed to the code for its family of controls
// (edit.cpp, richedit.cpp, lists.cpp, static_text.cpp), else UI Automation for programs that
// draw their own text; or, asked for, the screen around the point recognised (screen.cpp).
//
// One capture has one budget of time for every message, request and recognition it makes: it
// runs on the program's main thread, which a hung program under the pointer must not stall.
#include "capture/capture.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <optional>

#include "capture/automation.h"
#include "capture/control.h"

namespace qv::capture {
namespace {

bool ClassIs(const std::wstring& cls, const wchar_t* name) {
  if (_wcsicmp(cls.c_str(), name) == 0) return true;
  // Frameworks name their subclasses "WindowsForms10.EDIT.app.0.1a2b3c" and the like.
  std::wstring up = cls, key = std::wstring(L".") + name + L".";
  std::transform(up.begin(), up.end(), up.begin(), ::towupper);
  std::transform(key.begin(), key.end(), key.begin(), ::towupper);
  return up.find(key) != std::wstring::npos;
}

bool IsGroupBox(HWND h) {
  wchar_t cls[32] = {};
  GetClassNameW(h, cls, 32);
  return _wcsicmp(cls, L"Button") == 0 &&
         (GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The innermost visible child under the point. WindowFromPoint stops at the parent of labels
// and group boxes, which answer WM_NCHITTEST with HTTRANSPARENT; a group box yields to the
// controls it frames.
HWND DeepestChild(HWND h, POINT screenPt) {
  for (int depth = 0; depth < 32; ++depth) {
    HWND found = nullptr, group = nullptr;
    for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (!IsWindowVisible(c)) continue;
      RECT rc;
      GetWindowRect(c, &rc);
      if (!PtInRect(&rc, screenPt)) continue;
      if (IsGroupBox(c)) {
        if (!group) group = c;
        continue;
      }
      found = c;
      break;
    }
    if (!found) found = group;
    if (!found) return h;
    h = found;
  }
  return h;
}

// With per-monitor awareness our points are physical pixels, but a program that is not aware
// of the monitor's scale answers its controls' questions in its own logical pixels. For the
// time of the questions the thread takes on the window's awareness, and the point becomes the
// window's logical point; every coordinate then agrees.
class DpiScope {
 public:
  DpiScope(HWND h, POINT& screenPt) {
    static const auto fns = [] {
      HMODULE user32 = GetModuleHandleW(L"user32.dll");
      auto get = [&](const char* name) {
        return user32 ? reinterpret_cast<void*>(GetProcAddress(user32, name)) : nullptr;
      };
      return Functions{
          reinterpret_cast<GetContextFn>(get("GetThreadDpiAwarenessContext")),
          reinterpret_cast<SetContextFn>(get("SetThreadDpiAwarenessContext")),
          reinterpret_cast<WindowContextFn>(get("GetWindowDpiAwarenessContext")),
          reinterpret_cast<ContextAwarenessFn>(get("GetAwarenessFromDpiAwarenessContext")),
          reinterpret_cast<ToLogicalFn>(get("PhysicalToLogicalPointForPerMonitorDPI"))};
    }();
    if (!fns.getThread || !fns.setThread || !fns.ofWindow || !fns.awareness || !fns.toLogical)
      return;
    constexpr int kPerMonitor = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE
    DPI_AWARENESS_CONTEXT ours = fns.getThread();
    DPI_AWARENESS_CONTEXT theirs = fns.ofWindow(h);
    if (!ours || !theirs || fns.awareness(ours) != kPerMonitor ||
        fns.awareness(theirs) == kPerMonitor)
      return;
    POINT logical = screenPt;
    if (!fns.toLogical(h, &logical)) return;
    m_old = fns.setThread(theirs);
    if (m_old) screenPt = logical;
    m_set = fns.setThread;
  }
  ~DpiScope() {
    if (m_old) m_set(m_old);
  }
  DpiScope(const DpiScope&) = delete;
  DpiScope& operator=(const DpiScope&) = delete;

 private:
  using GetContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)();
  using SetContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
  using WindowContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
  using ContextAwarenessFn = int(WINAPI*)(DPI_AWARENESS_CONTEXT);
  using ToLogicalFn = BOOL(WINAPI*)(HWND, POINT*);
  struct Functions {
    GetContextFn getThread;
    SetContextFn setThread;
    WindowContextFn ofWindow;
    ContextAwarenessFn awareness;
    ToLogicalFn toLogical;
  };
  DPI_AWARENESS_CONTEXT m_old = nullptr;
  SetContextFn m_set = nullptr;
};

// Nothing when the window is of no kind we know, or when its kind answers only through memory
// that cannot be lent in its process.
std::optional<CaptureOutcome> FromWindow(HWND h, const CaptureRequest& req, const Deadline& deadline) {
  Target t(h, req.timeoutMs, deadline);
  POINT screenPt = req.pt;
  DpiScope dpi(h, screenPt);
  POINT pt = screenPt;
  ScreenToClient(h, &pt);
  const std::wstring cls = t.ClassName();
  if (ClassIs(cls, L"Edit")) return FromEdit(t, pt, req);
  if (_wcsnicmp(cls.c_str(), L"RichEdit", 8) == 0 || ClassIs(cls, L"RICHEDIT50W"))
    return FromRichEdit(t, pt, req);
  if (ClassIs(cls, L"Static")) return FromStatic(t, pt, req);
  if (ClassIs(cls, L"Button")) return FromButton(t, pt, req);
  if (ClassIs(cls, L"ListBox") || _wcsicmp(cls.c_str(), L"ComboLBox") == 0)
    return FromListBox(t, pt, req);
  if (ClassIs(cls, L"ComboBox")) return FromComboBox(t, pt, req);
  if (_wcsicmp(cls.c_str(), WC_LISTVIEWW) == 0) return FromListView(t, pt, req);
  if (_wcsicmp(cls.c_str(), WC_TREEVIEWW) == 0) return FromTreeView(t, pt, req);
  LRESULT hit = t.SendOr(WM_NCHITTEST, 0, MAKELPARAM(screenPt.x, screenPt.y), HTNOWHERE);
  if (hit == HTCAPTION) return FromCaption(t, screenPt, req);
  return std::nullopt;
}

}  // namespace

CaptureOutcome CaptureAt(const CaptureRequest& req, OcrRecognizer* ocr) {
  const Deadline deadline(req.budgetMs);
  if (req.options & WCO_OCR) return RecognizeAt(req, ocr, deadline);
  HWND h = req.hwnd && IsWindow(req.hwnd) ? req.hwnd : WindowFromPoint(req.pt);
  if (!h) return {};
  h = DeepestChild(h, req.pt);
  if (std::optional<CaptureOutcome> out = FromWindow(h, req, deadline)) return *out;
  // Browsers, word processors and modern programs draw their text themselves.
  if (AutomationAvailable())
    return AutomationTextAt(req.pt, req.maxChars, deadline.Remaining(), req.options & WCO_CONTEXT);
  return {};
}

}  // namespace qv::capture
