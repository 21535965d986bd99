#include "tiplex/mousehook.h"

#include "lexicon/activation.h"

namespace qv {

MouseHookBase::MouseHookBase() : m_uMsg(RegisterWindowMessageW(kMessageName)) {}

void MouseHookBase::Install(HWND target) noexcept {
  if (!m_hHook)
    m_hHook.reset(SetWindowsHookExW(WH_MOUSE_LL, &MouseHookBase::HookProc,
                                    GetModuleHandleW(nullptr), 0));
  m_hWndTarget = target;
}

LRESULT CALLBACK MouseHookBase::HookProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept {
  const MouseHookBase& self = MouseHook::Instance();
  if (nCode >= 0 && IsWindow(self.m_hWndTarget))
    PostMessageW(self.m_hWndTarget, self.m_uMsg, wParam, 0);
  return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

int GetKeyStateCode() noexcept {
  return KeyStateCode([](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; });
}

}  // namespace qv
