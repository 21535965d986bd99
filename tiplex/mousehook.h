// The process-wide low-level mouse hook. Every mouse event of the desktop is posted to the main
// dialog as one registered message whose first parameter is the mouse message number; the hook
// procedure does nothing else (no allocation, no lock, no drawing) and never swallows an event.
#pragma once

#include <windows.h>

#include "platform/unique_handle.h"

namespace qv {

// A process-wide single instance: created on first use, destroyed at process exit.
template <class T>
class MeyersSingleton : public virtual T {
 public:
  static MeyersSingleton& Instance() {
    static MeyersSingleton instance;
    return instance;
  }
  virtual ~MeyersSingleton() = default;

 private:
  MeyersSingleton() = default;
};

class MouseHookBase {
 public:
  static constexpr const wchar_t* kMessageName =
      L"MouseHookMsg_8397FD60-70D6-4d21-B9E0-019E9C374F44";

  MouseHookBase();
  virtual ~MouseHookBase() = default;  // the owner of the hook handle removes it
  MouseHookBase(const MouseHookBase&) = delete;
  MouseHookBase& operator=(const MouseHookBase&) = delete;

  // Installs the hook if none is yet, and makes `target` the receiver of its messages.
  void Install(HWND target) noexcept;
  UINT Message() const noexcept { return m_uMsg; }
  bool Installed() const noexcept { return static_cast<bool>(m_hHook); }

  static LRESULT CALLBACK HookProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept;

 private:
  UINT m_uMsg;
  platform::UniqueHandle<HHOOK, &UnhookWindowsHookEx> m_hHook;
  HWND m_hWndTarget = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));
};

using MouseHook = MeyersSingleton<MouseHookBase>;

// The hot-key state code of the keys held now.
int GetKeyStateCode() noexcept;

}  // namespace qv
