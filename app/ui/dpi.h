// Per-monitor DPI in one place. The functions that tell a monitor's or a window's own DPI come
// with later systems (Windows 8.1 and 10), so they are looked up at run time, once; without
// them every monitor has the system's DPI.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "platform/gdi_win.h"

namespace qv::ui {

namespace detail {

struct DpiFunctions {
  using ForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  using ForWindow = UINT(WINAPI*)(HWND);
  ForMonitor forMonitor = nullptr;
  ForWindow forWindow = nullptr;
};

inline const DpiFunctions& Dpi() noexcept {
  static const DpiFunctions functions = [] {
    DpiFunctions f;
    // shcore stays loaded until the process ends: its function is called at every show of the
    // popup, and freeing the module would leave the pointer dangling.
    if (HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
      f.forMonitor = reinterpret_cast<DpiFunctions::ForMonitor>(
          reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
    // user32 is loaded in every GUI program: no reference is taken.
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll"))
      f.forWindow = reinterpret_cast<DpiFunctions::ForWindow>(
          reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
    return f;
  }();
  return functions;
}

}  // namespace detail

// The system's DPI, at which the system metrics and fonts are given.
inline UINT SystemDpi() noexcept {
  platform::WindowDc screen;
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// The effective DPI of the monitor nearest to a screen point.
inline UINT DpiAt(POINT pt) noexcept {
  UINT x = 0, y = 0;
  if (auto forMonitor = detail::Dpi().forMonitor) {
    HMONITOR mon = MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST);
    if (SUCCEEDED(forMonitor(mon, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && x) return x;
  }
  return SystemDpi();
}

// The DPI a window is drawn at.
inline UINT DpiOf(HWND h) noexcept {
  auto forWindow = detail::Dpi().forWindow;
  const UINT dpi = forWindow ? forWindow(h) : 0;
  return dpi ? dpi : SystemDpi();
}

// The system's fonts (caption, menu, status and message fonts) scaled from the system's DPI to
// `dpi`.
inline NONCLIENTMETRICSW FontsAt(UINT dpi) noexcept {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  const UINT sys = SystemDpi();
  if (dpi != sys) {
    for (LOGFONTW* lf : {&ncm.lfCaptionFont, &ncm.lfSmCaptionFont, &ncm.lfMenuFont,
                         &ncm.lfStatusFont, &ncm.lfMessageFont})
      lf->lfHeight = MulDiv(lf->lfHeight, static_cast<int>(dpi), static_cast<int>(sys));
  }
  return ncm;
}

}  // namespace qv::ui
