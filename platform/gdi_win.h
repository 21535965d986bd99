// Owners for the GDI objects the program borrows on Windows: fonts, bitmaps, memory DCs, a
// window's (or the screen's) DC, regions, brushes and pens, and an object selected into a DC
// for a while.
#pragma once

#include <windows.h>

#include "platform/unique_handle.h"

namespace qv::platform {

using UniqueFont = UniqueHandle<HFONT, [](HFONT f) { DeleteObject(f); }>;
using UniqueBitmap = UniqueHandle<HBITMAP, [](HBITMAP b) { DeleteObject(b); }>;
using UniqueDc = UniqueHandle<HDC, [](HDC dc) { DeleteDC(dc); }>;
using UniqueRegion = UniqueHandle<HRGN, [](HRGN r) { DeleteObject(r); }>;
using UniqueBrush = UniqueHandle<HBRUSH, [](HBRUSH b) { DeleteObject(b); }>;
using UniquePen = UniqueHandle<HPEN, [](HPEN p) { DeleteObject(p); }>;

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
