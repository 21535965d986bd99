// Owners for the GDI objects the capture component borrows: the screen's device context, a
// memory DC, a bitmap, a font, and an object selected into a DC for a while.
#pragma once

#include <windows.h>

#include "platform/unique_handle.h"

namespace qv::capture {

using UniqueFont = platform::UniqueHandle<HFONT, [](HFONT f) { DeleteObject(f); }>;
using UniqueBitmap = platform::UniqueHandle<HBITMAP, [](HBITMAP b) { DeleteObject(b); }>;
using UniqueDc = platform::UniqueHandle<HDC, [](HDC dc) { DeleteDC(dc); }>;

// The screen's DC, released when the owner goes.
class ScreenDc {
 public:
  ScreenDc() noexcept : m_dc(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (m_dc) ReleaseDC(nullptr, m_dc);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const noexcept { return m_dc; }

 private:
  HDC m_dc;
};

// Selects an object into a DC and puts the previous one back when the owner goes.
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

}  // namespace qv::capture
