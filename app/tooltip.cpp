#include "app/tooltip.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cwctype>

#include "platform/gdi_win.h"

namespace {

constexpr int kMargin = 8;       // around title and body
constexpr int kRadius = 10;      // corner rounding
constexpr int kStemHeight = 12;  // from balloon edge to tip
constexpr int kStemWidth = 16;   // at the balloon edge
constexpr int kStemInset = 20;   // preferred distance of the tip from the balloon's side
constexpr int kIconSize = 16;
constexpr int kCloseSize = 16;
constexpr int kTabChars = 8;     // tab stops every eight average character widths
constexpr int kProgramIcon = 128;

UINT DpiAt(POINT pt) {
  HMONITOR mon = MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST);
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static auto getDpi = [] {
    HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  UINT x = 0, y = 0;
  if (getDpi && SUCCEEDED(getDpi(mon, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && x) return x;
  HDC dc = GetDC(nullptr);
  UINT dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSX));
  ReleaseDC(nullptr, dc);
  return dpi ? dpi : 96;
}

// The system's fonts at `dpi` (the metrics are given at the system's own DPI).
NONCLIENTMETRICSW MetricsAt(UINT dpi) {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  HDC dc = GetDC(nullptr);
  int sys = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  if (sys > 0 && static_cast<int>(dpi) != sys) {
    for (LOGFONTW* lf : {&ncm.lfStatusFont, &ncm.lfCaptionFont, &ncm.lfMessageFont})
      lf->lfHeight = MulDiv(lf->lfHeight, static_cast<int>(dpi), sys);
  }
  return ncm;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The popup is driven from the owner's window procedure, which no exception may leave: when
// memory runs out in the middle of a change, the popup is hidden and the look-up goes on.
void HideAfterFailure(HWND h, bool& shown) noexcept {
  if (h) ShowWindow(h, SW_HIDE);
  shown = false;
}

// Body text without its link tags, and for each character whether it belongs to a link.
void StripLinks(const std::wstring& in, std::wstring& out, std::vector<bool>& link) {
  out.clear();
  link.clear();
  bool inLink = false;
  for (size_t i = 0; i < in.size();) {
    if (in[i] == L'<') {
      if (!inLink && i + 2 < in.size() && towupper(in[i + 1]) == L'A' &&
          (in[i + 2] == L'>' || in[i + 2] == L' ')) {
        size_t close = in.find(L'>', i);
        if (close != std::wstring::npos && in.find(L"</", i) != std::wstring::npos) {
          inLink = true;
          i = close + 1;
          continue;
        }
      }
      if (inLink && i + 3 < in.size() && in[i + 1] == L'/' && towupper(in[i + 2]) == L'A' &&
          in[i + 3] == L'>') {
        inLink = false;
        i += 4;
        continue;
      }
    }
    out += in[i];
    link.push_back(inLink);
    ++i;
  }
}

}  // namespace

bool Tooltip::Create(HWND owner, const wchar_t* title) try {
  Destroy();
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(inst, kClassName, &wc)) {
    wc.cbSize = sizeof wc;
    wc.style = CS_DROPSHADOW | CS_SAVEBITS;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) return false;
  }
  m_owner = owner;
  m_title = title ? title : L"";
  m_hWnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClassName, L"",
                           WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           owner, nullptr, inst, this);
  if (!m_hWnd) return false;
  UpdateWindowText();
  return true;
} catch (...) {
  Destroy();
  return false;
}

void Tooltip::UpdateWindowText() {
  std::wstring body;
  std::vector<bool> link;
  StripLinks(m_text, body, link);
  SetWindowTextW(m_hWnd, (m_title + L"\n" + body).c_str());
}

void Tooltip::SetMaxWidth(int width) try {
  m_maxWidth = std::max(width, 32);
  if (m_hWnd && m_shown) Place();
} catch (...) {
  HideAfterFailure(m_hWnd, m_shown);
}

void Tooltip::SetText(const wchar_t* text) try {
  m_text = text ? text : L"";
  if (m_hWnd) UpdateWindowText();
  if (m_hWnd && m_shown) Place();
} catch (...) {
  HideAfterFailure(m_hWnd, m_shown);
}

void Tooltip::ShowAtCursor() try {
  if (!m_hWnd) return;
  GetCursorPos(&m_pointer);
  m_shown = true;
  Place();
} catch (...) {
  HideAfterFailure(m_hWnd, m_shown);
}

void Tooltip::Destroy() {
  if (m_hWnd) {
    HWND h = m_hWnd;
    m_hWnd = nullptr;
    SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    DestroyWindow(h);
  }
  m_text.clear();
  m_title.clear();
  m_pieces.clear();
  m_shown = false;
  m_pressed = Part::None;
  ReleaseGdi();
}

RECT Tooltip::LinkRect() const noexcept {
  RECT r{};
  for (const Piece& p : m_pieces)
    if (p.link) UnionRect(&r, &r, &p.rc);
  return r;
}

void Tooltip::ReleaseGdi() {
  for (HFONT* f : {&m_bodyFont, &m_linkFont, &m_titleFont}) {
    if (*f) DeleteObject(*f);
    *f = nullptr;
  }
  if (m_icon && m_ownIcon) DestroyIcon(m_icon);
  m_icon = nullptr;
  m_ownIcon = false;
}

// Fonts and icon for the monitor's DPI, then title line and body pieces in client coordinates
// of a balloon whose top-left corner is (0, 0); the stem is added by Place.
void Tooltip::Layout() {
  ReleaseGdi();
  NONCLIENTMETRICSW ncm = MetricsAt(m_dpi);
  m_bodyFont = CreateFontIndirectW(&ncm.lfStatusFont);
  LOGFONTW lf = ncm.lfStatusFont;
  lf.lfUnderline = TRUE;
  m_linkFont = CreateFontIndirectW(&lf);
  lf = ncm.lfStatusFont;
  lf.lfWeight = FW_BOLD;
  m_titleFont = CreateFontIndirectW(&lf);
  const int iconPx = Scale(kIconSize);
  m_icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIcon),
                                         IMAGE_ICON, iconPx, iconPx, LR_DEFAULTCOLOR));
  m_ownIcon = m_icon != nullptr;
  if (!m_icon) m_icon = LoadIconW(nullptr, IDI_APPLICATION);

  HMONITOR mon = MonitorFromPoint(m_pointer, MONITOR_DEFAULTTONEAREST);
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(mon, &mi);
  const int margin = Scale(kMargin);
  const int workW = mi.rcWork.right - mi.rcWork.left, workH = mi.rcWork.bottom - mi.rcWork.top;
  const int maxW = std::max(Scale(32), std::min(Scale(m_maxWidth), workW - 2 * margin));
  const int maxBodyH = std::max(Scale(32), workH - Scale(kStemHeight) - 2 * margin);

  // The vectors and strings below may throw: the DC and its first font have owners.
  qv::platform::WindowDc windowDc(m_hWnd);
  const HDC dc = windowDc.get();
  qv::platform::SelectedObject keep(dc, m_titleFont);
  TEXTMETRICW tm{};

  // Title line: icon, bold title, close button.
  SIZE titleSz{};
  GetTextExtentPoint32W(dc, m_title.c_str(), static_cast<int>(m_title.size()), &titleSz);
  GetTextMetricsW(dc, &tm);
  const int titleH = std::max<int>({tm.tmHeight, iconPx, Scale(kCloseSize)});
  const int closePx = Scale(kCloseSize);
  const int titleTextMax = maxW - iconPx - Scale(6) - closePx - Scale(8);
  const int titleTextW = std::min<int>(titleSz.cx, std::max(0, titleTextMax));

  // Body: greedy word wrap at maxW; tabs advance to the next stop; line feeds start new lines.
  SelectObject(dc, m_bodyFont);
  GetTextMetricsW(dc, &tm);
  const int lineH = tm.tmHeight;
  const int tabW = std::max<int>(1, tm.tmAveCharWidth * kTabChars);
  std::wstring text;
  std::vector<bool> isLink;
  StripLinks(m_text, text, isLink);
  m_pieces.clear();
  const int bodyTop = margin + titleH + Scale(6);
  int lines = 0, bodyW = 0;

  // Lays out one paragraph [s, e) starting on a new line, on at most `limit` lines; returns the
  // lines used, or limit + 1 when it needs more.
  auto paragraph = [&](size_t s, size_t e, bool emit, int limit) {
    int x = 0, used = 1;
    bool full = false;
    size_t i = s;
    auto newLine = [&] {
      x = 0;
      if (++used > limit) full = true;
    };
    while (i < e && !full) {
      if (text[i] == L'\t') {
        int next = (x / tabW + 1) * tabW;
        if (next > maxW) {
          newLine();
        } else {
          x = next;
        }
        ++i;
        continue;
      }
      if (text[i] == L' ') {
        SIZE sp{};
        GetTextExtentPoint32W(dc, L" ", 1, &sp);
        if (x > 0) x += sp.cx;
        ++i;
        continue;
      }
      // A word: up to the next blank or change between link and plain text.
      size_t j = i;
      while (j < e && !IsBlank(text[j]) && isLink[j] == isLink[i]) ++j;
      const bool link = isLink[i];
      SelectObject(dc, link ? m_linkFont : m_bodyFont);
      SIZE sz{};
      GetTextExtentPoint32W(dc, text.data() + i, static_cast<int>(j - i), &sz);
      if (x > 0 && x + sz.cx > maxW && (i == s || IsBlank(text[i - 1]))) newLine();
      size_t k = i;
      while (k < j && !full) {
        // A word wider than the whole line is broken where it must.
        INT fit = 0;
        SIZE part{};
        GetTextExtentExPointW(dc, text.data() + k, static_cast<int>(j - k), maxW - x, &fit,
                              nullptr, &part);
        if (fit <= 0) {
          if (x > 0) {
            newLine();
            continue;
          }
          fit = 1;
        }
        GetTextExtentPoint32W(dc, text.data() + k, fit, &part);
        if (emit) {
          const int y = bodyTop + (lines + used - 1) * lineH;
          m_pieces.push_back({text.substr(k, fit), {margin + x, y, margin + x + part.cx, y + lineH}, link});
        }
        bodyW = std::max<int>(bodyW, x + part.cx);
        x += part.cx;
        k += fit;
        if (k < j) newLine();
      }
      i = j;
    }
    return full ? limit + 1 : used;
  };

  std::vector<std::pair<size_t, size_t>> paras;
  for (size_t s = 0;;) {
    size_t e = text.find(L'\n', s);
    size_t end = e == std::wstring::npos ? text.size() : e;
    paras.emplace_back(s, (end > s && text[end - 1] == L'\r') ? end - 1 : end);
    if (e == std::wstring::npos) break;
    s = e + 1;
  }
  if (text.empty()) paras.clear();
  // The last paragraph that holds a link is kept when the body has to be cut.
  size_t linkPara = paras.size();
  for (size_t p = paras.size(); p-- > 0;) {
    if (std::find(isLink.begin() + paras[p].first, isLink.begin() + paras[p].second, true) !=
        isLink.begin() + paras[p].second) {
      linkPara = p;
      break;
    }
  }
  const int maxLines = std::max(2, (maxBodyH - titleH - Scale(6)) / std::max(1, lineH));
  constexpr int kAll = INT_MAX / 2;
  // Room kept for the ellipsis line and the link's paragraph until that paragraph is laid out.
  const int reserve = linkPara < paras.size()
                          ? paragraph(paras[linkPara].first, paras[linkPara].second, false, kAll) + 1
                          : 0;
  for (size_t p = 0; p < paras.size(); ++p) {
    const auto [s, e] = paras[p];
    if (p == linkPara) {
      lines += paragraph(s, e, true, kAll);
      continue;
    }
    const int room = maxLines - lines - (p < linkPara ? reserve : 0);
    if (room > 0 && paragraph(s, e, false, room) <= room) {
      lines += paragraph(s, e, true, kAll);
      continue;
    }
    // Cut: what fits of this paragraph, an ellipsis line, then the link's paragraph.
    const int part = p < linkPara ? room : room - 1;
    if (part > 0) lines += std::min(part, paragraph(s, e, true, part));
    const int y = bodyTop + lines * lineH;
    SelectObject(dc, m_bodyFont);
    SIZE sz{};
    GetTextExtentPoint32W(dc, L"\x2026", 1, &sz);
    m_pieces.push_back({L"\x2026", {margin, y, margin + sz.cx, y + lineH}, false});
    ++lines;
    if (linkPara > p && linkPara < paras.size())
      lines += paragraph(paras[linkPara].first, paras[linkPara].second, true, kAll);
    break;
  }

  const int contentW = std::max(bodyW, iconPx + Scale(6) + titleTextW + Scale(8) + closePx);
  m_size = {contentW + 2 * margin, bodyTop + lines * lineH + margin - (lines ? 0 : Scale(6))};
  m_iconRc = {margin, margin + (titleH - iconPx) / 2, margin + iconPx, margin + (titleH - iconPx) / 2 + iconPx};
  m_titleRc = {m_iconRc.right + Scale(6), margin, m_iconRc.right + Scale(6) + titleTextW, margin + titleH};
  m_closeRc = {m_size.cx - margin - closePx + Scale(2), margin + (titleH - closePx) / 2, 0, 0};
  m_closeRc.right = m_closeRc.left + closePx;
  m_closeRc.bottom = m_closeRc.top + closePx;
}

// Chooses the side of the pointer, lays out, shapes and shows the window.
void Tooltip::Place() {
  m_dpi = DpiAt(m_pointer);
  Layout();
  HMONITOR mon = MonitorFromPoint(m_pointer, MONITOR_DEFAULTTONEAREST);
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(mon, &mi);
  const RECT& work = mi.rcWork;
  const int stemH = Scale(kStemHeight), stemW = Scale(kStemWidth), radius = Scale(kRadius);
  const int totalH = m_size.cy + stemH + 1;  // the region's right and bottom edges are exclusive

  // Below the pointer, stem up, tip 10 pixels under the pointer; above it when that does not fit.
  m_anchor = {m_pointer.x, m_pointer.y + kAnchorBelowPointer};
  m_stemUp = m_anchor.y + totalH <= work.bottom || m_pointer.y - totalH < work.top;
  if (!m_stemUp) m_anchor = {m_pointer.x, m_pointer.y};
  int top = m_stemUp ? m_anchor.y : m_anchor.y - totalH;
  top = std::clamp<int>(top, work.top, std::max<LONG>(work.top, work.bottom - totalH));

  // To the right of the tip; shifted left where the work area ends.
  int left = m_anchor.x - Scale(kStemInset);
  left = std::clamp<int>(left, work.left, std::max<LONG>(work.left, work.right - m_size.cx - 1));
  const int lo = radius + stemW / 2, hi = m_size.cx - radius - stemW / 2;
  m_stemX = std::clamp<int>(m_anchor.x - left, lo, std::max(lo, hi));

  // Client coordinates: the stem above or below the balloon body.
  const int bodyTop = m_stemUp ? stemH : 0;
  m_bodyRc = {0, bodyTop, m_size.cx, bodyTop + m_size.cy};
  auto shift = [&](RECT& r) { OffsetRect(&r, 0, bodyTop); };
  shift(m_iconRc);
  shift(m_titleRc);
  shift(m_closeRc);
  for (Piece& p : m_pieces) shift(p.rc);

  HRGN body = CreateRoundRectRgn(0, bodyTop, m_size.cx + 1, bodyTop + m_size.cy + 1, 2 * radius, 2 * radius);
  POINT tri[3];
  if (m_stemUp) {
    tri[0] = {m_stemX - stemW / 2, bodyTop + 1};
    tri[1] = {m_stemX, 0};
    tri[2] = {m_stemX + stemW / 2, bodyTop + 1};
  } else {
    tri[0] = {m_stemX - stemW / 2, m_size.cy - 1};
    tri[1] = {m_stemX, totalH - 1};
    tri[2] = {m_stemX + stemW / 2, m_size.cy - 1};
  }
  HRGN stem = CreatePolygonRgn(tri, 3, WINDING);
  CombineRgn(body, body, stem, RGN_OR);
  DeleteObject(stem);
  SetWindowRgn(m_hWnd, body, FALSE);  // the window owns the region now

  SetWindowPos(m_hWnd, HWND_TOPMOST, left, top, m_size.cx + 1, totalH,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

void Tooltip::Paint(HDC dc) {
  RECT client;
  GetClientRect(m_hWnd, &client);
  const COLORREF bg = GetSysColor(COLOR_INFOBK), fg = GetSysColor(COLOR_INFOTEXT);
  HBRUSH bgBrush = CreateSolidBrush(bg);
  FillRect(dc, &client, bgBrush);
  DeleteObject(bgBrush);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(m_hWnd, rgn) != ERROR) {
    HBRUSH frame = CreateSolidBrush(RGB(118, 118, 118));
    FrameRgn(dc, rgn, frame, 1, 1);
    DeleteObject(frame);
  }
  DeleteObject(rgn);

  SetBkMode(dc, TRANSPARENT);
  const int iconPx = m_iconRc.right - m_iconRc.left;
  if (m_icon) DrawIconEx(dc, m_iconRc.left, m_iconRc.top, m_icon, iconPx, iconPx, 0, nullptr, DI_NORMAL);
  HGDIOBJ old = SelectObject(dc, m_titleFont);
  SetTextColor(dc, fg);
  RECT tr = m_titleRc;
  DrawTextW(dc, m_title.c_str(), static_cast<int>(m_title.size()), &tr,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);

  // Close button: a cross, framed while pressed.
  const int inset = Scale(4);
  HPEN pen = CreatePen(PS_SOLID, std::max(1, Scale(2) / 2 + 1), fg);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  const RECT& c = m_closeRc;
  MoveToEx(dc, c.left + inset, c.top + inset, nullptr);
  LineTo(dc, c.right - inset, c.bottom - inset);
  MoveToEx(dc, c.right - inset - 1, c.top + inset, nullptr);
  LineTo(dc, c.left + inset - 1, c.bottom - inset);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  if (m_pressed == Part::Close) DrawEdge(dc, const_cast<RECT*>(&c), BDR_SUNKENOUTER, BF_RECT);

  RECT clip;
  GetClipBox(dc, &clip);
  // The system's link colour, unless it is too pale to read on the balloon's background.
  auto luma = [](COLORREF c) { return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000; };
  COLORREF linkColor = GetSysColor(COLOR_HOTLIGHT);
  if (std::abs(luma(linkColor) - luma(bg)) < 110) linkColor = RGB(0, 80, 200);
  for (const Piece& p : m_pieces) {
    if (p.rc.bottom < clip.top || p.rc.top > clip.bottom) continue;
    SelectObject(dc, p.link ? m_linkFont : m_bodyFont);
    SetTextColor(dc, p.link ? linkColor : fg);
    ExtTextOutW(dc, p.rc.left, p.rc.top, 0, nullptr, p.text.c_str(), static_cast<UINT>(p.text.size()), nullptr);
  }
  SelectObject(dc, old);
}

Tooltip::Part Tooltip::HitTest(POINT pt) const {
  if (PtInRect(&m_closeRc, pt)) return Part::Close;
  for (const Piece& p : m_pieces)
    if (p.link && PtInRect(&p.rc, pt)) return Part::Link;
  return Part::None;
}

LRESULT CALLBACK Tooltip::WndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* self = static_cast<Tooltip*>(cs->lpCreateParams);
    self->m_hWnd = h;  // CreateWindowEx has not returned yet
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Tooltip*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (!self) return DefWindowProcW(h, msg, wp, lp);
  try {
    return self->OnMessage(msg, wp, lp);
  } catch (...) {
    return DefWindowProcW(h, msg, wp, lp);
  }
}

LRESULT Tooltip::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  HWND h = m_hWnd;
  switch (msg) {
    case WM_MOUSEACTIVATE:
      // A click must leave the focus with the program underneath.
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      struct Painting {
        HWND h;
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(h, &ps);
        ~Painting() { EndPaint(h, &ps); }
      } painting{h};
      const PAINTSTRUCT& ps = painting.ps;
      RECT rc;
      GetClientRect(h, &rc);
      struct MemoryDc {
        HDC dc;
        HBITMAP bmp;
        ~MemoryDc() {
          if (bmp) DeleteObject(bmp);
          if (dc) DeleteDC(dc);
        }
      } mem{CreateCompatibleDC(painting.dc), CreateCompatibleBitmap(painting.dc, rc.right, rc.bottom)};
      if (!mem.dc || !mem.bmp) return 0;
      qv::platform::SelectedObject keep(mem.dc, mem.bmp);
      IntersectClipRect(mem.dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
      Paint(mem.dc);
      BitBlt(painting.dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
             ps.rcPaint.bottom - ps.rcPaint.top, mem.dc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
      return 0;
    }
    case WM_SETCURSOR: {
      POINT pt;
      GetCursorPos(&pt);
      ScreenToClient(h, &pt);
      SetCursor(LoadCursorW(nullptr, HitTest(pt) == Part::None ? IDC_ARROW : IDC_HAND));
      return TRUE;
    }
    case WM_LBUTTONDOWN: {
      m_pressed = HitTest({static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
      if (m_pressed != Part::None) SetCapture(h);
      if (m_pressed == Part::Close) InvalidateRect(h, &m_closeRc, FALSE);
      return 0;
    }
    case WM_LBUTTONUP: {
      const Part pressed = m_pressed;
      m_pressed = Part::None;
      if (GetCapture() == h) ReleaseCapture();
      if (pressed == Part::None ||
          HitTest({static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))}) != pressed)
        return 0;
      if (pressed == Part::Close) {
        // Hidden, not destroyed: the owner destroys the popup at the next look-up.
        ShowWindow(h, SW_HIDE);
        m_shown = false;
      } else if (m_owner) {
        NMHDR nm{};
        nm.hwndFrom = h;
        nm.idFrom = 0;
        nm.code = TTN_LINKCLICK;
        // The owner may destroy the popup while handling it: touch nothing afterwards.
        SendMessageW(m_owner, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
      }
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (m_pressed == Part::Close) InvalidateRect(h, &m_closeRc, FALSE);
      m_pressed = Part::None;
      return 0;
    case WM_DPICHANGED:
      return 0;  // placement follows the pointer's monitor at every show
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}
