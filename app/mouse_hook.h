// The process-wide low-level mouse hook. It lives on a thread of its own, whose only work is to
// post every mouse event of the desktop to the main dialog as one registered message (the first
// parameter is the mouse message number): the hook procedure does nothing else (no allocation,
// no lock, no drawing) and never swallows an event. Whatever the main dialog's thread does (a
// look-up, a message box, opening a page), the desktop's pointer never waits for it, and the
// system never finds the hook slow enough to remove it.
//
// The system may still remove a hook without a word. Once a second the hook thread's watchdog
// compares the system's last input time and the pointer's position with the last event the hook
// saw: when the pointer moved by user input and the hook saw nothing for kSilentMs, it puts the
// hook back.
#pragma once

#include <windows.h>

#include <atomic>

#include "platform/kernel_win.h"

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
  static constexpr DWORD kWatchdogMs = 1000;
  static constexpr DWORD kSilentMs = 2000;

  MouseHookBase();
  virtual ~MouseHookBase();
  MouseHookBase(const MouseHookBase&) = delete;
  MouseHookBase& operator=(const MouseHookBase&) = delete;

  // Starts the hook thread, which installs the hook, if it is not running yet, and makes
  // `target` the receiver of its messages. Returns at once; Installed() tells when the hook is
  // in place.
  void Install(HWND target) noexcept;
  UINT Message() const noexcept { return m_message; }
  bool Installed() const noexcept { return m_hook.load() != nullptr; }

  // Events the hook procedure has seen, and how often the watchdog put the hook back.
  unsigned long Events() const noexcept { return m_events.load(); }
  unsigned long Reinstalls() const noexcept { return m_reinstalls.load(); }
  // Removes the hook as the system does when it times one out: behind the watchdog's back.
  void RemoveHookBehindWatchdog() noexcept;

  static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam) noexcept;

 private:
  static constexpr UINT kRemoveHookMsg = WM_APP + 1;
  static constexpr SIZE_T kStackBytes = 64 * 1024;
  static DWORD WINAPI ThreadProc(void* self) noexcept;
  void Run() noexcept;
  bool Hook() noexcept;
  void Watch() noexcept;

  UINT m_message;
  std::atomic<HHOOK> m_hook{nullptr};  // set and removed on the hook thread only
  std::atomic<HWND> m_targetWindow{reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1))};
  // The last event the hook procedure saw: its time (GetTickCount) and the pointer there.
  std::atomic<DWORD> m_lastEventTick{0};
  std::atomic<LONG> m_lastX{0}, m_lastY{0};
  std::atomic<unsigned long> m_events{0}, m_reinstalls{0};
  bool m_removedForTest = false;  // hook thread only: the hook handle is stale
  platform::UniqueKernelHandle m_thread;
  DWORD m_threadId = 0;
};

using MouseHook = MeyersSingleton<MouseHookBase>;

}  // namespace qv
