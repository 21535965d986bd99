// A small window layer: windows and dialogs whose messages go through a message table, one
// noexcept window procedure per kind, and the object pointer stored once with the first
// message. No exception leaves a window procedure: a handler that throws is treated as if it
// had not handled the message.
//
// A class T derives from CWindowImpl<T> or CDialogImpl<T> and provides
//   std::span<const MsgEntry<T>> MessageTable();
// whose rows are tried in order: the first row that matches handles the message (its handler's
// result is the message's result), a message that no row matches gets the default processing.
#pragma once

#include <windows.h>

#include <cwchar>
#include <span>

#include "platform/trace.h"

namespace qv::ui {

template <class T>
struct MsgEntry {
  using Handler = LRESULT (T::*)(UINT msg, WPARAM wp, LPARAM lp);
  static constexpr int kAny = -1;

  UINT message;
  int id;    // WM_COMMAND only: the command identifier (low word of wParam), or kAny
  int code;  // WM_COMMAND only: the notification code (high word of wParam), or kAny
  Handler handler;

  bool Matches(UINT msg, WPARAM wp) const noexcept {
    if (msg != message) return false;
    if (msg != WM_COMMAND) return true;
    return (id == kAny || id == LOWORD(wp)) && (code == kAny || code == HIWORD(wp));
  }
};

// Rows: any message of a number; a command by identifier (any code); a command by identifier and
// notification code.
template <class T>
constexpr MsgEntry<T> OnMessage(UINT msg, typename MsgEntry<T>::Handler h) {
  return {msg, MsgEntry<T>::kAny, MsgEntry<T>::kAny, h};
}
template <class T>
constexpr MsgEntry<T> OnCommand(int id, typename MsgEntry<T>::Handler h) {
  return {WM_COMMAND, id, MsgEntry<T>::kAny, h};
}
template <class T>
constexpr MsgEntry<T> OnCommand(int id, int code, typename MsgEntry<T>::Handler h) {
  return {WM_COMMAND, id, code, h};
}

// True when a row of the table handled the message; `result` is then its result.
template <class T>
bool DispatchTable(T& self, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) noexcept {
  try {
    for (const MsgEntry<T>& e : self.MessageTable()) {
      if (e.Matches(msg, wp)) {
        result = (self.*e.handler)(msg, wp, lp);
        return true;
      }
    }
  } catch (...) {
    // Nothing escapes into the system's code; the message gets the default processing.
    wchar_t doing[48];
    swprintf(doing, sizeof doing / sizeof *doing, L"handling window message 0x%04X", msg);
    platform::TraceFailure(doing);
  }
  return false;
}

// The module whose resources the windows use: the program's own.
inline HINSTANCE ResourceInstance() noexcept { return GetModuleHandleW(nullptr); }

// The class styles of T's window class: T::kClassStyle where T has one.
template <class T>
constexpr UINT ClassStyle() noexcept {
  if constexpr (requires { T::kClassStyle; }) {
    return T::kClassStyle;
  } else {
    return 0;
  }
}

// What windows and dialogs share: the one handle of their object. The window keeps the
// object's address at index Slot (GWLP_USERDATA, or DWLP_USER for a dialog).
template <int Slot>
class CWindowBase {
 public:
  CWindowBase() = default;
  CWindowBase(const CWindowBase&) = delete;
  CWindowBase& operator=(const CWindowBase&) = delete;
  // The window must be gone by the time the derived object is: derived destructors destroy it.
  // This one only detaches a window still there, so that no message reaches a dead object.
  virtual ~CWindowBase() { Detach(); }

  bool DestroyWindow() noexcept { return m_hwnd && ::DestroyWindow(m_hwnd); }
  bool IsWindow() const noexcept { return m_hwnd && ::IsWindow(m_hwnd); }
  HWND m_hwnd = nullptr;

 protected:
  // Destroys the window without letting any of its last messages reach the object.
  void Detach() noexcept {
    if (!m_hwnd) return;
    HWND h = m_hwnd;
    m_hwnd = nullptr;
    SetWindowLongPtrW(h, Slot, 0);
    ::DestroyWindow(h);
  }
};

// A top-level, popup or child window of a class registered on first use (T::kClassName, with
// the class styles T::kClassStyle if it has them).
template <class T>
class CWindowImpl : public CWindowBase<GWLP_USERDATA> {
 public:
  HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle = 0,
              HMENU menu = nullptr) noexcept {
    HINSTANCE inst = ResourceInstance();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(inst, T::kClassName, &wc)) {
      wc = {};
      wc.cbSize = sizeof wc;
      wc.style = ClassStyle<T>();
      wc.lpfnWndProc = &CWindowImpl::WindowProc;
      wc.hInstance = inst;
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      wc.lpszClassName = T::kClassName;
      if (!RegisterClassExW(&wc)) return nullptr;
    }
    return CreateWindowExW(exStyle, T::kClassName, title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, parent, menu, inst, this);
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_NCCREATE) {
      auto* self = static_cast<CWindowImpl*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
      self->m_hwnd = h;  // CreateWindowEx has not returned yet
      SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CWindowImpl*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    LRESULT result = 0;
    bool handled = DispatchTable(static_cast<T&>(*self), msg, wp, lp, result);
    if (!handled) result = DefWindowProcW(h, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrW(h, GWLP_USERDATA, 0);
      self->m_hwnd = nullptr;
    }
    return result;
  }
};

// A dialog from template T::IDD, modeless (Create) or modal (DoModal).
template <class T>
class CDialogImpl : public CWindowBase<DWLP_USER> {
 public:
  HWND Create(HWND owner) noexcept {
    return CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(T::IDD), owner,
                              &CDialogImpl::DialogProc, reinterpret_cast<LPARAM>(this));
  }
  INT_PTR DoModal(HWND owner) noexcept {
    return DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(T::IDD), owner,
                           &CDialogImpl::DialogProc, reinterpret_cast<LPARAM>(this));
  }
  bool EndDialog(INT_PTR result) noexcept { return m_hwnd && ::EndDialog(m_hwnd, result); }
  HWND GetDlgItem(int id) const noexcept { return ::GetDlgItem(m_hwnd, id); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_INITDIALOG) {
      auto* self = reinterpret_cast<CDialogImpl*>(lp);
      self->m_hwnd = h;
      SetWindowLongPtrW(h, DWLP_USER, lp);
    }
    auto* self = reinterpret_cast<CDialogImpl*>(GetWindowLongPtrW(h, DWLP_USER));
    if (!self) return FALSE;
    LRESULT result = 0;
    const bool handled = DispatchTable(static_cast<T&>(*self), msg, wp, lp, result);
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrW(h, DWLP_USER, 0);
      self->m_hwnd = nullptr;
    }
    if (!handled) return FALSE;
    switch (msg) {
      // These answer through the procedure's own result.
      case WM_INITDIALOG:
      case WM_COMPAREITEM:
      case WM_VKEYTOITEM:
      case WM_CHARTOITEM:
      case WM_QUERYDRAGICON:
      case WM_CTLCOLORMSGBOX:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORDLG:
      case WM_CTLCOLORSCROLLBAR:
      case WM_CTLCOLORSTATIC:
        return static_cast<INT_PTR>(result);
      default:
        if (::IsWindow(h)) SetWindowLongPtrW(h, DWLP_MSGRESULT, result);
        return TRUE;
    }
  }
};

}  // namespace qv::ui
