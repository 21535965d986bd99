#include "tests/win/screen_shot.h"

#include <cstdio>

#include "platform/gdi_win.h"

namespace qv::test {

std::wstring SaveScreenRect(const RECT& r, const wchar_t* name) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  platform::WindowDc screen;
  platform::UniqueDc mem(CreateCompatibleDC(screen.get()));
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  platform::UniqueBitmap bmp(
      CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!mem || !bmp) return {};
  {
    platform::SelectedObject selected(mem.get(), bmp.get());
    BitBlt(mem.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
  }
  const DWORD size = ((w * 3 + 3) & ~3) * h;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + size;
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring out = path;
  out = out.substr(0, out.find_last_of(L"\\/") + 1) + name;
  FILE* f = _wfopen(out.c_str(), L"wb");
  if (!f) return {};
  fwrite(&fh, sizeof fh, 1, f);
  fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
  fwrite(bits, size, 1, f);
  fclose(f);
  return out;
}

}  // namespace qv::test
