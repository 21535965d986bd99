#include "app/tooltip.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cwctype>
#include <utility>

#include "platform/trace.h"
#include "resources/resource_ids.h"
#include "app/ui/dpi.h"

namespace qv {

namespace {

using platform::SelectedObject;
using Range = std::pair<size_t, size_t>;

constexpr int kMargin = 8;       // around title and body
constexpr int kRadius = 10;      // corner rounding
constexpr int kStemHeight = 12;  // from balloon edge to tip
constexpr int kStemWidth = 16;   // at the balloon edge
constexpr int kStemInset = 20;   // preferred distance of the tip from the balloon's side
constexpr int kIconSize = 16;
constexpr int kCloseSize = 16;
constexpr int kGap = 6;          // after the icon, and between the title line and the body
constexpr int kCloseGap = 8;     // between the title and the close button
constexpr int kMinSize = 32;     // the narrowest body, the lowest room for it
constexpr int kTabChars = 8;     // tab stops every eight average character widths

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

RECT WorkAreaAt(POINT pt) noexcept {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST), &mi);
  return mi.rcWork;
}

// The popup is driven from the owner's window procedure, which no exception may leave: when
// memory runs out in the middle of a change, the popup is hidden and the look-up goes on.
void HideAfterFailure(HWND h, bool& shown, const wchar_t* doing) noexcept {
  platform::TraceFailure(doing);
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

// The body's paragraphs: [begin, end) up to each line feed, a carriage return before it left out.
std::vector<Range> Paragraphs(const std::wstring& text) {
  std::vector<Range> paras;
  if (text.empty()) return paras;
  for (size_t s = 0;;) {
    const size_t e = text.find(L'\n', s);
    const size_t end = e == std::wstring::npos ? text.size() : e;
    paras.emplace_back(s, (end > s && text[end - 1] == L'\r') ? end - 1 : end);
    if (e == std::wstring::npos) break;
    s = e + 1;
  }
  return paras;
}

// The last paragraph that holds a link, or paras.size() when none does.
size_t LastLinkParagraph(const std::vector<Range>& paras, const std::vector<bool>& isLink) {
  for (size_t p = paras.size(); p-- > 0;) {
    const auto first = isLink.begin() + paras[p].first, last = isLink.begin() + paras[p].second;
    if (std::find(first, last, true) != last) return p;
  }
  return paras.size();
}

// Writes the body as pieces of text in client coordinates: greedy word wrap at the maximum
// width, tabs to the next stop, a new line at each line feed; a body taller than its room is
// cut, keeping the link.
class BodyWriter {
 public:
  struct Frame {
    HDC dc;
    HFONT bodyFont;
    HFONT linkFont;
    int left, top;  // where the first line starts
    int maxWidth;
  };

  BodyWriter(const Frame& frame, const std::wstring& text, const std::vector<bool>& isLink,
             std::vector<CTooltip::Piece>& pieces)
      : m_f(frame), m_text(text), m_isLink(isLink), m_pieces(pieces) {
    SelectObject(m_f.dc, m_f.bodyFont);
    TEXTMETRICW tm{};
    GetTextMetricsW(m_f.dc, &tm);
    m_lineH = tm.tmHeight;
    m_tabW = std::max<int>(1, tm.tmAveCharWidth * kTabChars);
  }

  int LineHeight() const { return m_lineH; }
  // The widest line, of those written and of those only measured.
  int Width() const { return m_width; }

  // Writes the paragraphs on at most `maxLines` lines, and the link's paragraph whole; returns
  // the lines written.
  int Write(int maxLines) {
    const std::vector<Range> paras = Paragraphs(m_text);
    const size_t linkPara = LastLinkParagraph(paras, m_isLink);
    constexpr int kAll = INT_MAX / 2;
    // Room kept for the ellipsis line and the link's paragraph until that paragraph is written.
    const int reserve = linkPara < paras.size() ? Paragraph(paras[linkPara], false, kAll) + 1 : 0;
    for (size_t p = 0; p < paras.size(); ++p) {
      if (p == linkPara) {
        m_lines += Paragraph(paras[p], true, kAll);
        continue;
      }
      const int room = maxLines - m_lines - (p < linkPara ? reserve : 0);
      if (room > 0 && Paragraph(paras[p], false, room) <= room) {
        m_lines += Paragraph(paras[p], true, kAll);
        continue;
      }
      // Cut: what fits of this paragraph, an ellipsis line, then the link's paragraph.
      const int part = p < linkPara ? room : room - 1;
      if (part > 0) m_lines += std::min(part, Paragraph(paras[p], true, part));
      Ellipsis();
      if (linkPara > p && linkPara < paras.size())
        m_lines += Paragraph(paras[linkPara], true, kAll);
      break;
    }
    return m_lines;
  }

 private:
  // Lays out one paragraph starting on a new line, on at most `limit` lines; returns the lines
  // used, or limit + 1 when it needs more. Only measures unless `emit`.
  int Paragraph(Range r, bool emit, int limit) {
    m_x = 0;
    m_used = 1;
    m_limit = limit;
    m_emit = emit;
    m_full = false;
    for (size_t i = r.first; i < r.second && !m_full;) {
      if (m_text[i] == L'\t') {
        const int next = (m_x / m_tabW + 1) * m_tabW;
        if (next > m_f.maxWidth) {
          NewLine();
        } else {
          m_x = next;
        }
        ++i;
      } else if (m_text[i] == L' ') {
        SIZE sp{};
        GetTextExtentPoint32W(m_f.dc, L" ", 1, &sp);  // in the font of the word before
        if (m_x > 0) m_x += sp.cx;
        ++i;
      } else {
        // A word: up to the next blank or change between link and plain text.
        size_t j = i;
        while (j < r.second && !IsBlank(m_text[j]) && m_isLink[j] == m_isLink[i]) ++j;
        Word(i, j, i == r.first || IsBlank(m_text[i - 1]));
        i = j;
      }
    }
    return m_full ? limit + 1 : m_used;
  }

  // Places the word [i, j), on the next line when it does not fit and may go there; a word
  // wider than the whole line is broken where it must.
  void Word(size_t i, size_t j, bool mayWrap) {
    const bool link = m_isLink[i];
    SelectObject(m_f.dc, link ? m_f.linkFont : m_f.bodyFont);
    SIZE sz{};
    GetTextExtentPoint32W(m_f.dc, m_text.data() + i, static_cast<int>(j - i), &sz);
    if (m_x > 0 && m_x + sz.cx > m_f.maxWidth && mayWrap) NewLine();
    for (size_t k = i; k < j && !m_full;) {
      INT fit = 0;
      SIZE part{};
      GetTextExtentExPointW(m_f.dc, m_text.data() + k, static_cast<int>(j - k),
                            m_f.maxWidth - m_x, &fit, nullptr, &part);
      if (fit <= 0) {
        if (m_x > 0) {
          NewLine();
          continue;
        }
        fit = 1;
      }
      GetTextExtentPoint32W(m_f.dc, m_text.data() + k, fit, &part);
      if (m_emit) {
        const int y = m_f.top + (m_lines + m_used - 1) * m_lineH;
        m_pieces.push_back({m_text.substr(k, static_cast<size_t>(fit)),
                            {m_f.left + m_x, y, m_f.left + m_x + part.cx, y + m_lineH},
                            link});
      }
      m_width = std::max<int>(m_width, m_x + part.cx);
      m_x += part.cx;
      k += static_cast<size_t>(fit);
      if (k < j) NewLine();
    }
  }

  void NewLine() {
    m_x = 0;
    if (++m_used > m_limit) m_full = true;
  }

  void Ellipsis() {
    const int y = m_f.top + m_lines * m_lineH;
    SelectObject(m_f.dc, m_f.bodyFont);
    SIZE sz{};
    GetTextExtentPoint32W(m_f.dc, L"\x2026", 1, &sz);
    m_pieces.push_back({L"\x2026", {m_f.left, y, m_f.left + sz.cx, y + m_lineH}, false});
    ++m_lines;
  }

  const Frame m_f;
  const std::wstring& m_text;
  const std::vector<bool>& m_isLink;
  std::vector<CTooltip::Piece>& m_pieces;
  int m_lineH = 0;
  int m_tabW = 1;
  int m_lines = 0;  // lines written
  int m_width = 0;
  // The paragraph being laid out: the pen's x, its lines so far and at most.
  int m_x = 0;
  int m_used = 1;
  int m_limit = 0;
  bool m_emit = false;
  bool m_full = false;
};

}  // namespace

bool CTooltip::Create(HWND owner, const wchar_t* title) try {
  Destroy();
  m_owner = owner;
  m_title = title ? title : L"";
  if (!CWindowImpl::Create(owner, L"", WS_POPUP,
                           WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW))
    return false;
  UpdateWindowText();
  return true;
} catch (...) {
  platform::TraceFailure(L"creating the popup");
  Destroy();
  return false;
}

void CTooltip::UpdateWindowText() {
  std::wstring body;
  std::vector<bool> link;
  StripLinks(m_text, body, link);
  SetWindowTextW(m_hwnd, (m_title + L"\n" + body).c_str());
}

void CTooltip::SetMaxWidth(int width) try {
  m_maxWidth = std::max(width, 32);
  if (m_hwnd && m_shown) Place();
} catch (...) {
  HideAfterFailure(m_hwnd, m_shown, L"fitting the popup to a new width");
}

void CTooltip::SetText(const wchar_t* text) try {
  m_text = text ? text : L"";
  if (m_hwnd) UpdateWindowText();
  if (m_hwnd && m_shown) Place();
} catch (...) {
  HideAfterFailure(m_hwnd, m_shown, L"setting the popup's text");
}

void CTooltip::ShowAtCursor() try {
  if (!m_hwnd) return;
  GetCursorPos(&m_pointer);
  m_shown = true;
  Place();
} catch (...) {
  HideAfterFailure(m_hwnd, m_shown, L"showing the popup");
}

void CTooltip::Destroy() noexcept {
  Detach();
  m_text.clear();
  m_title.clear();
  m_pieces.clear();
  m_shown = false;
  m_pressed = Part::None;
  ReleaseGdi();
}

RECT CTooltip::LinkRect() const noexcept {
  RECT r{};
  for (const Piece& p : m_pieces)
    if (p.link) UnionRect(&r, &r, &p.rc);
  return r;
}

// Fonts and icon for the monitor's DPI.
void CTooltip::LoadGdi() {
  ReleaseGdi();
  const NONCLIENTMETRICSW ncm = ui::FontsAt(m_dpi);
  m_bodyFont.reset(CreateFontIndirectW(&ncm.lfStatusFont));
  LOGFONTW lf = ncm.lfStatusFont;
  lf.lfUnderline = TRUE;
  m_linkFont.reset(CreateFontIndirectW(&lf));
  lf = ncm.lfStatusFont;
  lf.lfWeight = FW_BOLD;
  m_titleFont.reset(CreateFontIndirectW(&lf));
  const int iconPx = Scale(kIconSize);
  m_ownIcon.reset(static_cast<HICON>(LoadImageW(ui::ResourceInstance(),
                                                MAKEINTRESOURCEW(IDI_QV_WINDOW), IMAGE_ICON,
                                                iconPx, iconPx, LR_DEFAULTCOLOR)));
  m_icon = m_ownIcon ? m_ownIcon.get() : LoadIconW(nullptr, IDI_APPLICATION);
}

void CTooltip::ReleaseGdi() noexcept {
  m_bodyFont.reset();
  m_linkFont.reset();
  m_titleFont.reset();
  m_icon = nullptr;
  m_ownIcon.reset();
}

// Fonts and icon, then title line and body pieces in client coordinates of a balloon whose
// top-left corner is (0, 0); the stem is added by Place.
void CTooltip::Layout() {
  LoadGdi();
  const RECT work = WorkAreaAt(m_pointer);
  const int margin = Scale(kMargin), gap = Scale(kGap), closeGap = Scale(kCloseGap);
  const int iconPx = Scale(kIconSize), closePx = Scale(kCloseSize);
  const int workW = work.right - work.left, workH = work.bottom - work.top;
  const int maxW = std::max(Scale(kMinSize), std::min(Scale(m_maxWidth), workW - 2 * margin));
  const int maxBodyH = std::max(Scale(kMinSize), workH - Scale(kStemHeight) - 2 * margin);

  // The vectors and strings below may throw: the DC and its first font have owners.
  platform::WindowDc windowDc(m_hwnd);
  const HDC dc = windowDc.get();
  SelectedObject keep(dc, m_titleFont.get());

  // Title line: icon, bold title, close button.
  SIZE titleSz{};
  GetTextExtentPoint32W(dc, m_title.c_str(), static_cast<int>(m_title.size()), &titleSz);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int titleH = std::max<int>({tm.tmHeight, iconPx, closePx});
  const int titleTextMax = maxW - iconPx - gap - closePx - closeGap;
  const int titleTextW = std::min<int>(titleSz.cx, std::max(0, titleTextMax));

  std::wstring text;
  std::vector<bool> isLink;
  StripLinks(m_text, text, isLink);
  m_pieces.clear();
  const int bodyTop = margin + titleH + gap;
  BodyWriter body({dc, m_bodyFont.get(), m_linkFont.get(), margin, bodyTop, maxW}, text, isLink,
                  m_pieces);
  const int lineH = body.LineHeight();
  const int lines = body.Write(std::max(2, (maxBodyH - titleH - gap) / std::max(1, lineH)));

  const int contentW = std::max(body.Width(), iconPx + gap + titleTextW + closeGap + closePx);
  m_size = {contentW + 2 * margin, bodyTop + lines * lineH + margin - (lines ? 0 : gap)};
  const int iconTop = margin + (titleH - iconPx) / 2;
  m_iconRc = {margin, iconTop, margin + iconPx, iconTop + iconPx};
  m_titleRc = {m_iconRc.right + gap, margin, m_iconRc.right + gap + titleTextW, margin + titleH};
  // The cross sits a little into the right margin.
  const int closeLeft = m_size.cx - margin - closePx + Scale(2);
  const int closeTop = margin + (titleH - closePx) / 2;
  m_closeRc = {closeLeft, closeTop, closeLeft + closePx, closeTop + closePx};
}

// Chooses the side of the pointer, lays out, shapes and shows the window.
void CTooltip::Place() {
  m_dpi = ui::DpiAt(m_pointer);
  Layout();
  const RECT work = WorkAreaAt(m_pointer);
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
  for (RECT* r : {&m_iconRc, &m_titleRc, &m_closeRc}) OffsetRect(r, 0, bodyTop);
  for (Piece& p : m_pieces) OffsetRect(&p.rc, 0, bodyTop);
  Shape(bodyTop, totalH);

  SetWindowPos(m_hwnd, HWND_TOPMOST, left, top, m_size.cx + 1, totalH,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

// The window's region: the rounded balloon and its stem.
void CTooltip::Shape(int bodyTop, int totalH) {
  const int stemW = Scale(kStemWidth), radius = Scale(kRadius);
  platform::UniqueRegion body(CreateRoundRectRgn(0, bodyTop, m_size.cx + 1,
                                                     bodyTop + m_size.cy + 1, 2 * radius,
                                                     2 * radius));
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
  const platform::UniqueRegion stem(CreatePolygonRgn(tri, 3, WINDING));
  CombineRgn(body.get(), body.get(), stem.get(), RGN_OR);
  // The window owns the region once it has taken it.
  if (SetWindowRgn(m_hwnd, body.get(), FALSE)) body.release();
}

void CTooltip::Paint(HDC dc) {
  RECT client;
  GetClientRect(m_hwnd, &client);
  const COLORREF bg = GetSysColor(COLOR_INFOBK), fg = GetSysColor(COLOR_INFOTEXT);
  const platform::UniqueBrush bgBrush(CreateSolidBrush(bg));
  FillRect(dc, &client, bgBrush.get());
  const platform::UniqueRegion rgn(CreateRectRgn(0, 0, 0, 0));
  if (GetWindowRgn(m_hwnd, rgn.get()) != ERROR) {
    const platform::UniqueBrush frame(CreateSolidBrush(RGB(118, 118, 118)));
    FrameRgn(dc, rgn.get(), frame.get(), 1, 1);
  }

  SetBkMode(dc, TRANSPARENT);
  const int iconPx = m_iconRc.right - m_iconRc.left;
  if (m_icon) DrawIconEx(dc, m_iconRc.left, m_iconRc.top, m_icon, iconPx, iconPx, 0, nullptr, DI_NORMAL);
  SelectedObject keep(dc, m_titleFont.get());
  SetTextColor(dc, fg);
  RECT tr = m_titleRc;
  DrawTextW(dc, m_title.c_str(), static_cast<int>(m_title.size()), &tr,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  PaintCloseButton(dc, fg);

  RECT clip;
  GetClipBox(dc, &clip);
  // The system's link colour, unless it is too pale to read on the balloon's background.
  auto luma = [](COLORREF c) { return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000; };
  COLORREF linkColor = GetSysColor(COLOR_HOTLIGHT);
  if (std::abs(luma(linkColor) - luma(bg)) < 110) linkColor = RGB(0, 80, 200);
  for (const Piece& p : m_pieces) {
    if (p.rc.bottom < clip.top || p.rc.top > clip.bottom) continue;
    SelectObject(dc, p.link ? m_linkFont.get() : m_bodyFont.get());
    SetTextColor(dc, p.link ? linkColor : fg);
    ExtTextOutW(dc, p.rc.left, p.rc.top, 0, nullptr, p.text.c_str(), static_cast<UINT>(p.text.size()), nullptr);
  }
}

// A cross, framed while pressed.
void CTooltip::PaintCloseButton(HDC dc, COLORREF color) {
  const int inset = Scale(4);
  RECT c = m_closeRc;
  {
    const platform::UniquePen pen(CreatePen(PS_SOLID, std::max(1, Scale(2) / 2 + 1), color));
    SelectedObject keep(dc, pen.get());
    MoveToEx(dc, c.left + inset, c.top + inset, nullptr);
    LineTo(dc, c.right - inset, c.bottom - inset);
    MoveToEx(dc, c.right - inset - 1, c.top + inset, nullptr);
    LineTo(dc, c.left + inset - 1, c.bottom - inset);
  }
  if (m_pressed == Part::Close) DrawEdge(dc, &c, BDR_SUNKENOUTER, BF_RECT);
}

CTooltip::Part CTooltip::HitTest(POINT pt) const {
  if (PtInRect(&m_closeRc, pt)) return Part::Close;
  for (const Piece& p : m_pieces)
    if (p.link && PtInRect(&p.rc, pt)) return Part::Link;
  return Part::None;
}

std::span<const ui::MsgEntry<CTooltip>> CTooltip::MessageTable() {
  using ui::OnMessage;
  static const ui::MsgEntry<CTooltip> table[] = {
      OnMessage<CTooltip>(WM_MOUSEACTIVATE, &CTooltip::OnMouseActivate),
      OnMessage<CTooltip>(WM_ERASEBKGND, &CTooltip::OnEraseBackground),
      OnMessage<CTooltip>(WM_PAINT, &CTooltip::OnPaint),
      OnMessage<CTooltip>(WM_SETCURSOR, &CTooltip::OnSetCursor),
      OnMessage<CTooltip>(WM_LBUTTONDOWN, &CTooltip::OnLButtonDown),
      OnMessage<CTooltip>(WM_LBUTTONUP, &CTooltip::OnLButtonUp),
      OnMessage<CTooltip>(WM_CAPTURECHANGED, &CTooltip::OnCaptureChanged),
      OnMessage<CTooltip>(WM_DPICHANGED, &CTooltip::OnDpiChanged),
  };
  return table;
}

// A click must leave the focus with the program underneath.
LRESULT CTooltip::OnMouseActivate(UINT, WPARAM, LPARAM) { return MA_NOACTIVATE; }

// The painting covers the whole window.
LRESULT CTooltip::OnEraseBackground(UINT, WPARAM, LPARAM) { return 1; }

// Drawn into a bitmap first, so that the balloon does not flicker when its text changes.
LRESULT CTooltip::OnPaint(UINT, WPARAM, LPARAM) {
  struct Painting {
    HWND h;
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(h, &ps);
    ~Painting() { EndPaint(h, &ps); }
  } painting{m_hwnd};
  const PAINTSTRUCT& ps = painting.ps;
  RECT rc;
  GetClientRect(m_hwnd, &rc);
  const platform::UniqueDc mem(CreateCompatibleDC(painting.dc));
  const platform::UniqueBitmap bmp(CreateCompatibleBitmap(painting.dc, rc.right, rc.bottom));
  if (!mem || !bmp) return 0;
  SelectedObject keep(mem.get(), bmp.get());
  IntersectClipRect(mem.get(), ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
  Paint(mem.get());
  BitBlt(painting.dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
         ps.rcPaint.bottom - ps.rcPaint.top, mem.get(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
  return 0;
}

LRESULT CTooltip::OnSetCursor(UINT, WPARAM, LPARAM) {
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(m_hwnd, &pt);
  SetCursor(LoadCursorW(nullptr, HitTest(pt) == Part::None ? IDC_ARROW : IDC_HAND));
  return TRUE;
}

LRESULT CTooltip::OnLButtonDown(UINT, WPARAM, LPARAM lp) {
  m_pressed = HitTest({static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
  if (m_pressed != Part::None) SetCapture(m_hwnd);
  if (m_pressed == Part::Close) InvalidateRect(m_hwnd, &m_closeRc, FALSE);
  return 0;
}

LRESULT CTooltip::OnLButtonUp(UINT, WPARAM, LPARAM lp) {
  const HWND h = m_hwnd;
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

LRESULT CTooltip::OnCaptureChanged(UINT, WPARAM, LPARAM) {
  if (m_pressed == Part::Close) InvalidateRect(m_hwnd, &m_closeRc, FALSE);
  m_pressed = Part::None;
  return 0;
}

// Placement follows the pointer's monitor at every show.
LRESULT CTooltip::OnDpiChanged(UINT, WPARAM, LPARAM) { return 0; }

}  // namespace qv
