#include "app/mouse_hook.h"


namespace qv {

MouseHookBase::MouseHookBase() : m_message(RegisterWindowMessageW(kMessageName)) {}

// The system removes the hook with the process; the thread is only asked to end, not waited
// for, since the process may be on its way out.
MouseHookBase::~MouseHookBase() {
  if (m_threadId) PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
}

// The dialog's start does not wait for the thread: the hook is in place moments later.
void MouseHookBase::Install(HWND target) noexcept {
  m_targetWindow = target;
  if (m_thread) return;
  // The thread needs little stack: a small reservation keeps the process's memory down.
  m_thread.reset(CreateThread(nullptr, kStackBytes, &MouseHookBase::ThreadProc, this,
                              STACK_SIZE_PARAM_IS_A_RESERVATION, &m_threadId));
  if (!m_thread) m_threadId = 0;
}

DWORD WINAPI MouseHookBase::ThreadProc(void* self) noexcept {
  static_cast<MouseHookBase*>(self)->Run();
  return 0;
}

bool MouseHookBase::Hook() noexcept {
  if (HHOOK old = m_hook.exchange(nullptr); old && !m_removedForTest) UnhookWindowsHookEx(old);
  m_removedForTest = false;
  POINT pt{};
  GetCursorPos(&pt);
  m_lastX = pt.x;
  m_lastY = pt.y;
  m_lastEventTick = GetTickCount();
  m_hook = SetWindowsHookExW(WH_MOUSE_LL, &MouseHookBase::HookProc, GetModuleHandleW(nullptr), 0);
  return m_hook.load() != nullptr;
}

void MouseHookBase::RemoveHookBehindWatchdog() noexcept {
  if (m_threadId) PostThreadMessageW(m_threadId, kRemoveHookMsg, 0, 0);
}

// Input arrived and moved the pointer since the hook's last event, which is several seconds
// old: the hook is no longer called.
void MouseHookBase::Watch() noexcept {
  LASTINPUTINFO input{sizeof input, 0};
  POINT pt{};
  if (!GetLastInputInfo(&input) || !GetCursorPos(&pt)) return;
  const DWORD last = m_lastEventTick.load();
  const bool silent = GetTickCount() - last >= kSilentMs;
  const bool inputSince = static_cast<LONG>(input.dwTime - last) > 0;
  const bool moved = pt.x != m_lastX.load() || pt.y != m_lastY.load();
  if (silent && inputSince && moved && Hook()) ++m_reinstalls;
}

void MouseHookBase::Run() noexcept {
  MSG msg;
  PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the thread's queue
  Hook();
  const UINT_PTR watchdog = SetTimer(nullptr, 0, kWatchdogMs, nullptr);
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd) {
      DispatchMessageW(&msg);
    } else if (msg.message == WM_TIMER && msg.wParam == watchdog) {
      Watch();
    } else if (msg.message == kRemoveHookMsg) {
      if (HHOOK h = m_hook.load()) {
        UnhookWindowsHookEx(h);
        m_removedForTest = true;  // Installed() still says yes, as after the system's removal
      }
    }
  }
  KillTimer(nullptr, watchdog);
  if (HHOOK h = m_hook.exchange(nullptr); h && !m_removedForTest) UnhookWindowsHookEx(h);
}

LRESULT CALLBACK MouseHookBase::HookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
  MouseHookBase& self = MouseHook::Instance();
  if (code >= 0) {
    if (const auto* ms = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)) {
      self.m_lastX.store(ms->pt.x, std::memory_order_relaxed);
      self.m_lastY.store(ms->pt.y, std::memory_order_relaxed);
    }
    self.m_lastEventTick.store(GetTickCount(), std::memory_order_relaxed);
    self.m_events.fetch_add(1, std::memory_order_relaxed);
    HWND target = self.m_targetWindow.load(std::memory_order_relaxed);
    if (IsWindow(target)) PostMessageW(target, self.m_message, wParam, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace qv
