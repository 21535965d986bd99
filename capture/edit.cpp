// EDIT controls, asked with the messages the system marshals between processes
// (EM_CHARFROMPOS, EM_GETLINE, WM_GETTEXT). Only the line under the point is read, whatever the
// size of the document.
#include <algorithm>
#include <climits>

#include "capture/control.h"

namespace qv::capture {
namespace {

POINT PosFromChar(const Target& t, size_t index) {
  LRESULT r = t.SendOr(EM_POSFROMCHAR, index, 0, -1);
  if (r == -1) return {LONG_MIN, LONG_MIN};
  return {static_cast<short>(LOWORD(r)), static_cast<short>(HIWORD(r))};
}

int FontHeight(HFONT font) {
  platform::WindowDc dc;
  platform::SelectedObject selected(dc.get(), font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc.get(), &tm);
  return tm.tmHeight;
}

int CharWidth(HFONT font, wchar_t c) {
  platform::WindowDc dc;
  platform::SelectedObject selected(dc.get(), font);
  SIZE sz{};
  GetTextExtentPoint32W(dc.get(), &c, 1, &sz);
  return sz.cx;
}

// Up to `chars` characters of line `line` of an EDIT control, which begins at character
// lineStart; fewer when the line is shorter. EM_GETLINE takes its buffer size in 16 bits; a
// longer piece comes from the start of the whole text.
std::wstring EditLine(const Target& t, size_t line, size_t lineStart, size_t chars) {
  if (chars == 0) return {};
  if (chars <= 0x7FFF) {
    // Twice the room needed: Wine, marshalling the message to another process, takes the size
    // as bytes and would bring back half of the line.
    std::wstring buf(2 * std::max<size_t>(chars, 2) + 1, L'\0');
    *reinterpret_cast<WORD*>(buf.data()) = static_cast<WORD>(2 * chars);
    LRESULT got;
    if (!t.Send(EM_GETLINE, line, reinterpret_cast<LPARAM>(buf.data()), got) || got <= 0) return {};
    buf.resize(std::min(static_cast<size_t>(got), chars));
    return buf;
  }
  const LRESULT length = t.SendOr(EM_LINELENGTH, lineStart, 0, -1);
  if (length <= 0) return {};
  chars = std::min(chars, static_cast<size_t>(length));
  std::wstring buf(lineStart + chars + 1, L'\0');
  LRESULT got;
  if (!t.Send(WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), got) ||
      got <= static_cast<LRESULT>(lineStart))
    return {};
  return buf.substr(lineStart, std::min(static_cast<size_t>(got), lineStart + chars) - lineStart);
}

// The control's font, asked for only when a width or height must be measured.
class LazyFont {
 public:
  explicit LazyFont(const Target& t) : m_t(t) {}
  HFONT get() {
    if (!m_font) m_font = m_t.Font();
    return m_font.get();
  }

 private:
  const Target& m_t;
  platform::UniqueFont m_font;
};

// Where EM_CHARFROMPOS puts the point: the line and the nearest character boundary.
struct EditPoint {
  bool multi = false;
  size_t lineNo = 0;
  size_t lineStart = 0;  // index of the line's first character in the whole text
  size_t index = 0;      // the boundary, in the whole text
  LRESULT lineCount = -1;
};

std::optional<EditPoint> EditPointAt(const Target& t, POINT pt) {
  LRESULT r;
  if (!t.Send(EM_CHARFROMPOS, 0, MAKELPARAM(pt.x, pt.y), r) || r == -1) return std::nullopt;
  EditPoint at;
  at.multi = t.Style() & ES_MULTILINE;
  const LRESULT length = t.SendOr(WM_GETTEXTLENGTH, 0, 0, 0);
  if (length <= 0) return std::nullopt;
  // The answer holds the character index in its low word and the line in its high word; both
  // wrap beyond 65,535. The first visible line (in a single-line control, the first visible
  // character) lies at most that far before the point and puts them right.
  auto unwrap = [](size_t anchor, size_t low16) { return anchor + ((low16 - anchor) & 0xFFFF); };
  at.index = LOWORD(r);
  if (at.multi) {
    at.lineNo = HIWORD(r);
    at.lineCount = t.SendOr(EM_GETLINECOUNT, 0, 0, -1);
    if (at.lineCount > 0xFFFF) {
      LRESULT first = t.SendOr(EM_GETFIRSTVISIBLELINE, 0, 0, -1);
      if (first < 0) return std::nullopt;
      at.lineNo = unwrap(static_cast<size_t>(first), HIWORD(r));
    }
    LRESULT start = t.SendOr(EM_LINEINDEX, at.lineNo, 0, -1);
    if (start < 0) return std::nullopt;
    at.lineStart = static_cast<size_t>(start);
    if (length > 0xFFFF) at.index = unwrap(at.lineStart, LOWORD(r));
  } else if (length > 0xFFFF) {
    LRESULT first = t.SendOr(EM_GETFIRSTVISIBLELINE, 0, 0, -1);
    if (first >= 0) at.index = unwrap(static_cast<size_t>(first), LOWORD(r));
  }
  if (at.index < at.lineStart) return std::nullopt;
  return at;
}

// Which character of `line` is under the point, and is the point over it or in the empty space
// after a line's end? `i` comes in as the boundary EM_CHARFROMPOS gave, and leaves as the
// character; `top` is the line's top. The boundary's position tells the side: left of it, the
// right half of the character before; right of it, the left half of the character after, since
// the boundary was the nearer one. Each position costs a walk to the line: one is asked in the
// common case.
bool CharUnderPoint(const Target& t, const std::wstring& line, size_t lineStart, POINT pt,
                    LazyFont& font, size_t& i, LONG& top) {
  const size_t end = line.size();
  auto posAt = [&](size_t k) { return PosFromChar(t, lineStart + k); };
  const POINT bound = posAt(i);
  if (i < end) {
    if (bound.x == LONG_MIN) return false;
    if (pt.x < bound.x) {
      if (i == 0) return false;  // left of the line
      --i;
    }
    top = bound.y;
    return true;
  }
  // The line's end, or the text's, which has no position: its last character decides.
  if (i == 0) return false;
  const POINT prev = posAt(i - 1);
  if (prev.x == LONG_MIN || prev.x > pt.x) return false;
  const LONG right = (bound.x != LONG_MIN && bound.y == prev.y && bound.x > prev.x)
                         ? bound.x
                         : prev.x + CharWidth(font.get(), line[i - 1]);
  if (pt.x >= right) return false;
  --i;
  top = prev.y;
  return true;
}

// Below the last line lies empty space, which EM_CHARFROMPOS maps onto the last line.
bool BelowLastLine(const Target& t, size_t lineNo, LONG top, POINT pt, LazyFont& font) {
  int lineHeight = 0;
  if (lineNo > 0) {
    LRESULT above = t.SendOr(EM_LINEINDEX, lineNo - 1, 0, -1);
    POINT p = above >= 0 ? PosFromChar(t, static_cast<size_t>(above)) : POINT{LONG_MIN, LONG_MIN};
    if (p.x != LONG_MIN && p.y < top) lineHeight = top - p.y;
  }
  if (lineHeight <= 0) lineHeight = FontHeight(font.get());
  return pt.y < top || pt.y >= top + lineHeight;
}

}  // namespace

// EM_CHARFROMPOS gives the nearest character boundary, not the character under the point: the
// right half of a character answers with the next one.
CaptureOutcome FromEdit(const Target& t, POINT pt, const CaptureRequest& req) {
  const std::optional<EditPoint> at = EditPointAt(t, pt);
  if (!at) return {};
  // The line as far as the token (or the cut line) can reach. Every question about a line
  // costs the control a walk to it (Wine's EDIT walks a list of lines): ask as few as possible.
  size_t i = at->index - at->lineStart;
  const std::wstring line = EditLine(t, at->lineNo, at->lineStart, i + req.maxChars + 1);
  if (line.empty()) return {};
  i = std::min(i, line.size());
  LazyFont font(t);
  LONG top = 0;
  if (!CharUnderPoint(t, line, at->lineStart, pt, font, i, top)) return {};
  if (line[i] == L'\r' || line[i] == L'\n') return {};
  if (at->multi && static_cast<LRESULT>(at->lineNo) + 1 >= at->lineCount &&
      BelowLastLine(t, at->lineNo, top, pt, font))
    return {};
  CaptureOutcome out = Pick(line, i, WCS_EDIT, req);
  if (out.start >= 0) out.start += static_cast<long>(at->lineStart);
  return out;
}

}  // namespace qv::capture
