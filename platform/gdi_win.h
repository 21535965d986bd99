// Owners for the GDI objects the program borrows on Windows: fonts, bitmaps, memory DCs, a
// window's (or the screen's) DC, regions, brushes and pens, and an object selected into a DC
// for a while.
#pragma once

#include <windows.h>

#include "platform/unique_handle.h"

namespace qv::platform {

// Named functions, not lambdas: a lambda's type differs from one source file to the next, and
// an owner could not be passed from one to another.
namespace detail {
template <typename T>
void DeleteGdiObject(T object) {
  DeleteObject(object);
}
inline void DeleteMemoryDc(HDC dc) { DeleteDC(dc); }
inline void DestroyIconHandle(HICON icon) { DestroyIcon(icon); }
}  // namespace detail

using UniqueFont = UniqueHandle<HFONT, detail::DeleteGdiObject<HFONT>>;
using UniqueBitmap = UniqueHandle<HBITMAP, detail::DeleteGdiObject<HBITMAP>>;
using UniqueDc = UniqueHandle<HDC, detail::DeleteMemoryDc>;
using UniqueRegion = UniqueHandle<HRGN, detail::DeleteGdiObject<HRGN>>;
// An icon loaded at a size of the program's own (not shared).
using UniqueIcon = UniqueHandle<HICON, detail::DestroyIconHandle>;
using UniqueBrush = UniqueHandle<HBRUSH, detail::DeleteGdiObject<HBRUSH>>;
using UniquePen = UniqueHandle<HPEN, detail::DeleteGdiObject<HPEN>>;

// A window's DC (the screen's without a window), released when the owner goes.
class WindowDc {
 public:
  explicit WindowDc(HWND h = nullptr) noexcept : m_h(h), m_dc(GetDC(h)) {}
  ~WindowDc() {
    if (m_dc) ReleaseDC(m_h, m_dc);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const noexcept { return m_dc; }

 private:
  HWND m_h;
  HDC m_dc;
};

// Selects an object into a DC and puts the previous one back when the owner goes, whatever was
// selected meanwhile.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ obj) noexcept : m_dc(dc), m_old(SelectObject(dc, obj)) {}
  ~SelectedObject() {
    if (m_old && m_old != HGDI_ERROR) SelectObject(m_dc, m_old);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_old;
};

}  // namespace qv::platform
