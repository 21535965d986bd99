// Labels, buttons and captions: no message tells which character lies under the point, so the
// text is laid out again in the control's font: its own in our process, the system's message
// font across processes, where WM_GETFONT gives nothing usable, and the system font for a
// control that has none.
#include <algorithm>
#include <climits>

#include "capture/control.h"

namespace qv::capture {
namespace {

// Labels and buttons draw "&x" as an underlined x and "&&" as "&".
std::wstring StripPrefix(const std::wstring& s) {
  std::wstring out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'&' && i + 1 < s.size()) ++i;
    out += s[i];
  }
  return out;
}

// Lays `text` out in `font` inside `lay.box` and returns the index of the character under the
// point, or npos.
size_t CharAtPoint(const std::wstring& text, HFONT font, const Layout& lay, POINT pt) {
  // The vectors below may throw: the DC and the font selected into it have owners.
  platform::WindowDc screen;
  const HDC dc = screen.get();
  platform::SelectedObject selected(dc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int width = std::max<int>(1, lay.box.right - lay.box.left - lay.leftPad);
  auto extent = [&](size_t s, size_t n) {
    SIZE sz{};
    GetTextExtentPoint32W(dc, text.data() + s, static_cast<int>(n), &sz);
    return static_cast<int>(sz.cx);
  };

  // Lines as [start, end) of `text`; soft breaks between words as the system's word wrap does.
  std::vector<std::pair<size_t, size_t>> lines;
  size_t s = 0;
  while (s <= text.size()) {
    size_t e = text.find(L'\n', s);
    if (e == std::wstring::npos) e = text.size();
    size_t hardEnd = (e > s && text[e - 1] == L'\r') ? e - 1 : e;
    size_t ls = s;
    while (lay.wrap && ls < hardEnd && extent(ls, hardEnd - ls) > width) {
      size_t cut = ls, probe = ls;
      while (probe < hardEnd) {
        size_t sp = text.find(L' ', probe);
        if (sp == std::wstring::npos || sp > hardEnd) sp = hardEnd;
        if (extent(ls, sp - ls) > width) break;
        cut = sp;
        probe = sp + 1;
      }
      if (cut == ls) {  // one word wider than the box: it stays whole
        cut = text.find(L' ', ls);
        if (cut == std::wstring::npos || cut > hardEnd) cut = hardEnd;
      }
      lines.emplace_back(ls, cut);
      ls = cut;
      while (ls < hardEnd && text[ls] == L' ') ++ls;
    }
    lines.emplace_back(ls, hardEnd);
    if (e == text.size()) break;
    s = e + 1;
  }

  size_t hit = std::wstring::npos;
  const int lineH = tm.tmHeight;
  int top = lay.box.top;
  if (lay.vcenter) top += (lay.box.bottom - lay.box.top - lineH * static_cast<int>(lines.size())) / 2;
  if (pt.y >= top) {
    size_t li = static_cast<size_t>((pt.y - top) / std::max(1, lineH));
    if (li < lines.size()) {
      auto [ls, le] = lines[li];
      int w = extent(ls, le - ls);
      int x0 = lay.box.left + lay.leftPad;
      if (lay.align == Align::Center) x0 += (width - w) / 2;
      if (lay.align == Align::Right) x0 = lay.box.right - w;
      if (pt.x >= x0 && pt.x < x0 + w && le > ls) {
        std::vector<INT> dx(le - ls);
        INT fit = 0;
        SIZE total{};
        GetTextExtentExPointW(dc, text.data() + ls, static_cast<int>(le - ls), INT_MAX, &fit,
                              dx.data(), &total);
        for (size_t i = 0; i < dx.size(); ++i) {
          if (pt.x - x0 < dx[i]) {
            hit = ls + i;
            break;
          }
        }
      }
    }
  }
  return hit;
}

}  // namespace

CaptureOutcome FromLaidOutText(const std::wstring& text, HFONT font, const Layout& lay, POINT pt,
                               long source, const CaptureRequest& req) {
  if (text.empty()) return {};
  size_t i = CharAtPoint(text, font, lay, pt);
  if (i == std::wstring::npos) return {};
  return Pick(text, i, source, req);
}

CaptureOutcome FromStatic(const Target& t, POINT pt, const CaptureRequest& req) {
  const LONG style = t.Style();
  const LONG type = style & SS_TYPEMASK;
  Layout lay;
  switch (type) {
    case SS_LEFT: lay.wrap = true; break;
    case SS_CENTER: lay.wrap = true; lay.align = Align::Center; break;
    case SS_RIGHT: lay.wrap = true; lay.align = Align::Right; break;
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP: break;
    default: return {};  // pictures, frames, owner-drawn
  }
  lay.vcenter = style & SS_CENTERIMAGE;
  GetClientRect(t.hwnd(), &lay.box);
  std::wstring text = t.Text();
  if (!(style & SS_NOPREFIX)) text = StripPrefix(text);
  platform::UniqueFont font = t.Font();
  return FromLaidOutText(text, font.get(), lay, pt, WCS_CONTROL, req);
}

CaptureOutcome FromButton(const Target& t, POINT pt, const CaptureRequest& req) {
  const LONG style = t.Style();
  const LONG type = style & BS_TYPEMASK;
  Layout lay;
  GetClientRect(t.hwnd(), &lay.box);
  lay.vcenter = true;
  switch (type) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      lay.align = Align::Center;
      break;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      // The box, then a gap the width of a digit, then the text.
      lay.leftPad = GetSystemMetrics(SM_CXMENUCHECK) + 4;
      break;
    case BS_GROUPBOX:
      lay.vcenter = false;
      lay.leftPad = 8;
      break;
    default:
      return {};  // owner-drawn, split buttons and the like draw what they please
  }
  if ((style & BS_CENTER) == BS_CENTER) lay.align = Align::Center;
  else if (style & BS_RIGHT) lay.align = Align::Right;
  else if (style & BS_LEFT) lay.align = Align::Left;
  lay.wrap = style & BS_MULTILINE;
  std::wstring text = StripPrefix(t.Text());
  platform::UniqueFont font = t.Font();
  return FromLaidOutText(text, font.get(), lay, pt, WCS_CONTROL, req);
}

// The title of a top-level window, drawn after its icon in the caption font.
CaptureOutcome FromCaption(const Target& t, POINT screenPt, const CaptureRequest& req) {
  RECT wr{};
  GetWindowRect(t.hwnd(), &wr);
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  platform::UniqueFont font(CreateFontIndirectW(&ncm.lfCaptionFont));
  const LONG style = t.Style();
  const int frame = GetSystemMetrics((style & WS_THICKFRAME) ? SM_CXSIZEFRAME : SM_CXFIXEDFRAME);
  const int frameY = GetSystemMetrics((style & WS_THICKFRAME) ? SM_CYSIZEFRAME : SM_CYFIXEDFRAME);
  Layout lay;
  lay.box = {wr.left + frame, wr.top + frameY, wr.right - frame,
             wr.top + frameY + GetSystemMetrics(SM_CYCAPTION)};
  lay.leftPad = (style & WS_SYSMENU) ? GetSystemMetrics(SM_CXSMICON) + 4 : 2;
  lay.vcenter = true;
  return FromLaidOutText(t.Text(), font.get(), lay, screenPt, WCS_CAPTION, req);
}

}  // namespace qv::capture
