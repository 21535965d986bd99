// A dialog that only shows a picture takes the picture's size. The templates are laid out in
// dialog units of the dialog font; where the system's font is wider than expected (Wine's stand-in
// for "MS Shell Dlg"), the window would otherwise show a band of the picture control's fill.
#pragma once

#include <windows.h>

namespace qv::ui {

// Sizes the dialog's client area to the bitmap of its picture control and puts the control at
// the origin; nothing changes when the control has no bitmap.
inline void FitDialogToPicture(HWND dlg, HWND picture) noexcept {
  const auto bmp = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
  BITMAP bm{};
  if (!bmp || !GetObjectW(bmp, sizeof bm, &bm)) return;
  RECT rc{0, 0, bm.bmWidth, bm.bmHeight};
  AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongPtrW(dlg, GWL_STYLE)),
                     GetMenu(dlg) != nullptr, static_cast<DWORD>(GetWindowLongPtrW(dlg, GWL_EXSTYLE)));
  SetWindowPos(dlg, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(picture, nullptr, 0, 0, bm.bmWidth, bm.bmHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace qv::ui
