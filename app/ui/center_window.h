// Centring a window on its owner, or on the work area of its monitor when it has none (or when
// onOwner is false, as the template style DS_CENTER does).
#pragma once

#include <windows.h>

#include <algorithm>

namespace qv::ui {

inline void CenterWindow(HWND wnd, bool onOwner = true) noexcept {
  RECT rc, area;
  if (!GetWindowRect(wnd, &rc)) return;
  HWND owner = GetWindow(wnd, GW_OWNER);
  if (onOwner && owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoW(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &mi)) return;
    area = mi.rcWork;
  }
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  int x = area.left + (area.right - area.left - w) / 2;
  int y = area.top + (area.bottom - area.top - h) / 2;
  // Centred on an owner near a screen edge, the window would leave its monitor: keep it on.
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (GetMonitorInfoW(MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST), &mi)) {
    const RECT& wa = mi.rcWork;
    x = std::max<int>(wa.left, std::min<int>(x, wa.right - w));
    y = std::max<int>(wa.top, std::min<int>(y, wa.bottom - h));
  }
  SetWindowPos(wnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace qv::ui
