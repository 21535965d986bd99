// The program's icons (resources/resource_ids.h) at the system's sizes. Loaded shared: the
// system keeps them for the process, so nobody destroys them.
#pragma once

#include <windows.h>

#include "resources/resource_ids.h"
#include "app/ui/window.h"

namespace qv {

// At the size of a window's caption and task-bar button (large), or of the notification area
// and a small caption (small); null when the resource is missing.
inline HICON LoadProgramIcon(int id, bool small) noexcept {
  const int cx = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
  const int cy = GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
  return static_cast<HICON>(
      LoadImageW(ui::ResourceInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, LR_SHARED));
}

// Gives a top-level window the windows' icon, large and small.
inline void SetWindowIcons(HWND wnd) noexcept {
  SendMessageW(wnd, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(LoadProgramIcon(IDI_QV_WINDOW, false)));
  SendMessageW(wnd, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadProgramIcon(IDI_QV_WINDOW, true)));
}

}  // namespace qv
