// Text at a screen point, from the window under it. Controls of other processes are asked with
// messages the system marshals (WM_GETTEXT, EM_CHARFROMPOS, LB_GETTEXT), through
// SendMessageTimeout so that a hung program cannot freeze ours; where a control answers only
// through pointers (RichEdit, list views, tree views) a buffer is lent in the other process.
// Where no message tells which character lies under the point (labels, buttons, captions), the
// text is laid out again in the control's font: its own in our process, the system's message
// font across processes, where WM_GETFONT gives nothing usable, and the system font for a
// control that has none.
//
// One capture has one budget of time for every message, request and recognition it makes: the
// thread that captures also runs the pointer's low-level hook.
#include "capture/capture.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cwctype>
#include <optional>
#include <vector>

#include "platform/unique_handle.h"
#include "capture/automation.h"
#include "platform/gdi_win.h"
#include "capture/ocr.h"

namespace qv::capture {
namespace {

using UniqueProcess = platform::UniqueHandle<HANDLE, [](HANDLE h) { CloseHandle(h); }>;

bool IsSpace(wchar_t c) {
  return std::iswspace(c) || c == 0x00A0 || (c >= 0x2000 && c <= 0x200B) || c == 0x202F ||
         c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

// A window and the way to talk to it.
class Target {
 public:
  Target(HWND h, DWORD timeoutMs, const Deadline& deadline)
      : m_h(h), m_timeout(timeoutMs), m_deadline(deadline) {
    DWORD pid = 0;
    m_sameThread = GetWindowThreadProcessId(h, &pid) == GetCurrentThreadId();
    m_local = pid == GetCurrentProcessId();
    m_pid = pid;
  }
  HWND hwnd() const { return m_h; }
  bool local() const { return m_local; }
  DWORD pid() const { return m_pid; }

  // A window of another thread, even one of ours, may be hung: it gets what is left of the
  // budget, at most the timeout per message.
  bool Send(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) const {
    if (m_sameThread) {
      result = SendMessageW(m_h, msg, wp, lp);
      return true;
    }
    const DWORD timeout = std::min(m_timeout, m_deadline.Remaining());
    if (timeout == 0) return false;
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(m_h, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeout, &r))
      return false;
    result = static_cast<LRESULT>(r);
    return true;
  }
  LRESULT SendOr(UINT msg, WPARAM wp, LPARAM lp, LRESULT fallback) const {
    LRESULT r;
    return Send(msg, wp, lp, r) ? r : fallback;
  }

  std::wstring Text() const {
    LRESULT n;
    if (!Send(WM_GETTEXTLENGTH, 0, 0, n) || n <= 0) return {};
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    LRESULT got;
    if (!Send(WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()), got) || got <= 0) return {};
    s.resize(std::min<size_t>(static_cast<size_t>(got), s.size() - 1));
    return s;
  }

  std::wstring ClassName() const {
    wchar_t buf[128] = {};
    GetClassNameW(m_h, buf, 128);
    return buf;
  }
  LONG Style() const { return GetWindowLongW(m_h, GWL_STYLE); }

  // Wine answers no WM_GETFONT across processes. Its labels keep the font they were given in the
  // first slot of their window's extra bytes, which any process may read: null there is a label
  // that was never given one. Only asked when the message went unanswered.
  bool LabelFontSlot(LRESULT& font) const {
    if (m_local || lstrcmpiW(ClassName().c_str(), L"Static") != 0) return false;
    if (GetClassLongPtrW(m_h, GCL_CBWNDEXTRA) < static_cast<LONG_PTR>(sizeof(LONG_PTR)))
      return false;
    SetLastError(ERROR_SUCCESS);
    const LONG_PTR slot = GetWindowLongPtrW(m_h, 0);
    if (slot == 0 && GetLastError() != ERROR_SUCCESS) return false;
    font = static_cast<LRESULT>(slot);
    return true;
  }

  // The control's font to lay its text out with; never null.
  platform::UniqueFont Font() const {
    LRESULT f = 0;
    LOGFONTW lf{};
    const bool answered = Send(WM_GETFONT, 0, 0, f) || LabelFontSlot(f);
    if (answered && !f) {
      // A control that was never given a font draws with the system font, in any process.
      GetObjectW(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
      return platform::UniqueFont(CreateFontIndirectW(&lf));
    }
    if (f && GetObjectW(reinterpret_cast<HFONT>(f), sizeof lf, &lf) == sizeof lf)
      return platform::UniqueFont(CreateFontIndirectW(&lf));
    // Another process's font cannot be read from here: most programs give their controls the
    // message font.
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    return platform::UniqueFont(CreateFontIndirectW(&ncm.lfMessageFont));
  }

 private:
  HWND m_h;
  DWORD m_timeout;
  const Deadline& m_deadline;
  DWORD m_pid = 0;
  bool m_local = false;
  bool m_sameThread = false;
};

// Memory that a control of another process can read and write: a block lent in that process,
// or plain memory when the control is ours. Only used between processes of the same bitness,
// since the records it carries hold pointers.
class SharedBlock {
 public:
  SharedBlock(const Target& t, size_t size) : m_size(size) {
    if (t.local()) {
      m_localMem.resize(size);
      m_ptr = m_localMem.data();
      return;
    }
    m_proc.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                 PROCESS_QUERY_LIMITED_INFORMATION,
                             FALSE, t.pid()));
    if (!m_proc || !SameBitness(m_proc.get())) return;
    m_ptr = VirtualAllocEx(m_proc.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~SharedBlock() {
    if (m_proc && m_ptr) VirtualFreeEx(m_proc.get(), m_ptr, 0, MEM_RELEASE);
  }
  SharedBlock(const SharedBlock&) = delete;
  SharedBlock& operator=(const SharedBlock&) = delete;

  explicit operator bool() const { return m_ptr != nullptr; }
  // Address as the control sees it.
  void* at(size_t offset) const { return static_cast<char*>(m_ptr) + offset; }
  bool Write(size_t offset, const void* data, size_t n) {
    if (offset + n > m_size) return false;
    if (!m_proc) {
      memcpy(at(offset), data, n);
      return true;
    }
    return WriteProcessMemory(m_proc.get(), at(offset), data, n, nullptr);
  }
  bool Read(size_t offset, void* data, size_t n) const {
    if (offset + n > m_size) return false;
    if (!m_proc) {
      memcpy(data, at(offset), n);
      return true;
    }
    return ReadProcessMemory(m_proc.get(), at(offset), data, n, nullptr);
  }

 private:
  static bool SameBitness(HANDLE other) {
    BOOL a = FALSE, b = FALSE;
    IsWow64Process(GetCurrentProcess(), &a);
    IsWow64Process(other, &b);
    return a == b;
  }
  size_t m_size;
  void* m_ptr = nullptr;
  UniqueProcess m_proc;
  std::vector<char> m_localMem;
};

CaptureOutcome Token(std::wstring_view text, size_t index, long source, size_t maxChars) {
  size_t s, e;
  if (!TokenAt(text, index, s, e)) return {};
  if (e - s > maxChars) {
    s = std::max(s, index >= maxChars / 2 ? index - maxChars / 2 : 0);
    e = std::min(e, s + maxChars);
  }
  return {std::wstring(text.substr(s, e - s)), source, static_cast<long>(s)};
}

// The line (between line feeds) that holds text[index].
CaptureOutcome Line(std::wstring_view text, size_t index, long source, size_t maxChars) {
  if (text.empty()) return {};
  index = std::min(index, text.size() - 1);
  size_t s = text.find_last_of(L"\r\n", index);
  s = s == std::wstring_view::npos ? 0 : s + 1;
  size_t e = text.find_first_of(L"\r\n", index);
  if (e == std::wstring_view::npos) e = text.size();
  if (s >= e) return {};
  e = std::min(e, s + maxChars);
  return {std::wstring(text.substr(s, e - s)), source, static_cast<long>(s)};
}

CaptureOutcome Pick(std::wstring_view text, size_t index, long source, const CaptureRequest& req) {
  if ((req.options & WCO_LINE) && !(req.options & WCO_WORD))
    return Line(text, index, source, req.maxChars);
  return Token(text, index, source, req.maxChars);
}

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

// EDIT controls. EM_CHARFROMPOS gives the nearest character boundary, not the character under
// the point: the right half of a character answers with the next one. Only the line under the
// point is read, whatever the size of the document.
CaptureOutcome FromEdit(const Target& t, POINT pt, const CaptureRequest& req) {
  LRESULT r;
  if (!t.Send(EM_CHARFROMPOS, 0, MAKELPARAM(pt.x, pt.y), r) || r == -1) return {};
  const bool multi = t.Style() & ES_MULTILINE;
  const LRESULT length = t.SendOr(WM_GETTEXTLENGTH, 0, 0, 0);
  if (length <= 0) return {};
  // The answer holds the character index in its low word and the line in its high word; both
  // wrap beyond 65,535. The first visible line (in a single-line control, the first visible
  // character) lies at most that far before the point and puts them right.
  auto unwrap = [](size_t anchor, size_t low16) { return anchor + ((low16 - anchor) & 0xFFFF); };
  size_t lineNo = 0, lineStart = 0, index = LOWORD(r);
  LRESULT lineCount = -1;
  if (multi) {
    lineNo = HIWORD(r);
    lineCount = t.SendOr(EM_GETLINECOUNT, 0, 0, -1);
    if (lineCount > 0xFFFF) {
      LRESULT first = t.SendOr(EM_GETFIRSTVISIBLELINE, 0, 0, -1);
      if (first < 0) return {};
      lineNo = unwrap(static_cast<size_t>(first), HIWORD(r));
    }
    LRESULT start = t.SendOr(EM_LINEINDEX, lineNo, 0, -1);
    if (start < 0) return {};
    lineStart = static_cast<size_t>(start);
    if (length > 0xFFFF) index = unwrap(lineStart, LOWORD(r));
  } else if (length > 0xFFFF) {
    LRESULT first = t.SendOr(EM_GETFIRSTVISIBLELINE, 0, 0, -1);
    if (first >= 0) index = unwrap(static_cast<size_t>(first), LOWORD(r));
  }
  if (index < lineStart) return {};
  // The line as far as the token (or the cut line) can reach. Every question about a line
  // costs the control a walk to it (Wine's EDIT walks a list of lines): ask as few as possible.
  size_t i = index - lineStart;
  const std::wstring line = EditLine(t, lineNo, lineStart, i + req.maxChars + 1);
  if (line.empty()) return {};
  const size_t end = line.size();
  i = std::min(i, end);
  auto posAt = [&](size_t k) { return PosFromChar(t, lineStart + k); };
  platform::UniqueFont font;
  auto fontNow = [&] {
    if (!font) font = t.Font();
    return font.get();
  };

  // Which character, and is the point over it or in the empty space after a line's end? The
  // boundary's position tells the side: left of it, the right half of the character before;
  // right of it, the left half of the character after, since the boundary was the nearer one.
  // Each position costs a walk to the line: one is asked in the common case.
  const POINT bound = posAt(i);
  LONG top;  // the line's top
  if (i < end) {
    if (bound.x == LONG_MIN) return {};
    if (pt.x < bound.x) {
      if (i == 0) return {};  // left of the line
      --i;
    }
    top = bound.y;
  } else {
    // The line's end, or the text's, which has no position: its last character decides.
    if (i == 0) return {};
    const POINT prev = posAt(i - 1);
    if (prev.x == LONG_MIN || prev.x > pt.x) return {};
    const LONG right = (bound.x != LONG_MIN && bound.y == prev.y && bound.x > prev.x)
                           ? bound.x
                           : prev.x + CharWidth(fontNow(), line[i - 1]);
    if (pt.x >= right) return {};
    --i;
    top = prev.y;
  }
  if (line[i] == L'\r' || line[i] == L'\n') return {};
  if (multi && static_cast<LRESULT>(lineNo) + 1 >= lineCount) {
    // Below the last line lies empty space, which EM_CHARFROMPOS maps onto the last line.
    int lineHeight = 0;
    if (lineNo > 0) {
      LRESULT above = t.SendOr(EM_LINEINDEX, lineNo - 1, 0, -1);
      POINT p = above >= 0 ? PosFromChar(t, static_cast<size_t>(above)) : POINT{LONG_MIN, LONG_MIN};
      if (p.x != LONG_MIN && p.y < top) lineHeight = top - p.y;
    }
    if (lineHeight <= 0) lineHeight = FontHeight(fontNow());
    if (pt.y < top || pt.y >= top + lineHeight) return {};
  }
  CaptureOutcome out = Pick(line, i, WCS_EDIT, req);
  if (out.start >= 0) out.start += static_cast<long>(lineStart);
  return out;
}

// RichEdit: EM_CHARFROMPOS and EM_POSFROMCHAR take pointers, and WM_GETTEXT turns paragraph
// ends into CR LF, which shifts the indices; EM_GETTEXTRANGE reads the characters as the
// control counts them, as 8-bit text in the ANSI code page from an ANSI control (RichEdit20A,
// RichEdit 1.0). Nothing when no memory can be lent in the control's process, so that UI
// Automation is asked instead.
std::optional<CaptureOutcome> FromRichEdit(const Target& t, POINT pt, const CaptureRequest& req) {
  constexpr size_t kSpan = 512;
  constexpr size_t kTextOff = 64;
  SharedBlock block(t, kTextOff + (2 * kSpan + 2) * sizeof(wchar_t));
  if (!block) return std::nullopt;
  POINTL ptl{pt.x, pt.y};
  block.Write(0, &ptl, sizeof ptl);
  LRESULT r;
  if (!t.Send(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(block.at(0)), r) || r < 0)
    return CaptureOutcome{};
  const size_t index = static_cast<size_t>(r);
  LRESULT len = t.SendOr(WM_GETTEXTLENGTH, 0, 0, 0);
  if (len <= 0 || index >= static_cast<size_t>(len)) return CaptureOutcome{};

  // The character's box: from its position to the next one on the same line.
  auto pos = [&](size_t i, POINTL& out) {
    POINTL z{};
    block.Write(0, &z, sizeof z);
    LRESULT res;
    if (!t.Send(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(block.at(0)), i, res)) return false;
    return block.Read(0, &out, sizeof out);
  };
  POINTL a{}, b{};
  if (!pos(index, a) || a.x > pt.x || a.y > pt.y) return CaptureOutcome{};
  if (pos(index + 1, b) && b.y == a.y && b.x > a.x && pt.x >= b.x) return CaptureOutcome{};

  const size_t from = index > kSpan ? index - kSpan : 0;
  const size_t to = std::min(static_cast<size_t>(len), index + kSpan);
  struct TextRange64 {
    LONG cpMin, cpMax;
    LPWSTR text;
  } tr{static_cast<LONG>(from), static_cast<LONG>(to), static_cast<LPWSTR>(block.at(kTextOff))};
  block.Write(16, &tr, sizeof tr);
  LRESULT got;
  if (!t.Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(block.at(16)), got) || got <= 0)
    return CaptureOutcome{};
  std::wstring text;
  if (IsWindowUnicode(t.hwnd())) {
    text.resize(std::min(static_cast<size_t>(got), 2 * kSpan));
    block.Read(kTextOff, text.data(), text.size() * sizeof(wchar_t));
  } else {
    // Bytes, two to a character at most (double-byte code pages), in the same block.
    std::string bytes(std::min(static_cast<size_t>(got), (2 * kSpan + 2) * sizeof(wchar_t)), '\0');
    block.Read(kTextOff, bytes.data(), bytes.size());
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    text.resize(static_cast<size_t>(std::max(n, 0)));
    if (n > 0)
      MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  }
  if (index - from >= text.size()) return CaptureOutcome{};
  CaptureOutcome out = Pick(text, index - from, WCS_RICHEDIT, req);
  if (out.start >= 0) out.start += static_cast<long>(from);
  return out;
}

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

enum class Align { Left, Center, Right };

struct Layout {
  RECT box{};          // client coordinates
  Align align = Align::Left;
  bool wrap = false;
  bool vcenter = false;
  int leftPad = 0;
};

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

CaptureOutcome FromListBox(const Target& t, POINT pt, const CaptureRequest& req) {
  const LONG style = t.Style();
  if ((style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) && !(style & LBS_HASSTRINGS)) return {};
  LRESULT r;
  if (!t.Send(LB_ITEMFROMPOINT, 0, MAKELPARAM(pt.x, pt.y), r) || HIWORD(r)) return {};
  const WPARAM item = LOWORD(r);
  LRESULT len = t.SendOr(LB_GETTEXTLEN, item, 0, LB_ERR);
  if (len == LB_ERR || len <= 0) return {};
  std::wstring text(static_cast<size_t>(len) + 1, L'\0');
  LRESULT got = t.SendOr(LB_GETTEXT, item, reinterpret_cast<LPARAM>(text.data()), LB_ERR);
  if (got == LB_ERR || got <= 0) return {};
  text.resize(std::min<size_t>(static_cast<size_t>(got), static_cast<size_t>(len)));
  Layout lay;
  if (t.SendOr(LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&lay.box), LB_ERR) == LB_ERR) return {};
  lay.leftPad = 2;
  platform::UniqueFont font = t.Font();
  return FromLaidOutText(text, font.get(), lay, pt, WCS_LISTBOX, req);
}

// The face of a drop-down list combo box (the editable kinds have an EDIT child, found first).
CaptureOutcome FromComboBox(const Target& t, POINT pt, const CaptureRequest& req) {
  Layout lay;
  GetClientRect(t.hwnd(), &lay.box);
  lay.box.right -= GetSystemMetrics(SM_CXVSCROLL);
  lay.leftPad = 3;
  lay.vcenter = true;
  platform::UniqueFont font = t.Font();
  return FromLaidOutText(t.Text(), font.get(), lay, pt, WCS_CONTROL, req);
}

// List views and tree views answer through records lent in their process; nothing when that
// cannot be done (a 32-bit program, or access refused), so that UI Automation is asked instead.
std::optional<CaptureOutcome> FromListView(const Target& t, POINT pt, const CaptureRequest& req) {
  constexpr size_t kTextOff = 256, kChars = 1024;
  SharedBlock block(t, kTextOff + kChars * sizeof(wchar_t));
  if (!block) return std::nullopt;
  LVHITTESTINFO hti{};
  hti.pt = pt;
  block.Write(0, &hti, sizeof hti);
  LRESULT r;
  if (!t.Send(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(block.at(0)), r) || r < 0) return CaptureOutcome{};
  block.Read(0, &hti, sizeof hti);
  if (!(hti.flags & LVHT_ONITEMLABEL) && hti.iSubItem == 0) return CaptureOutcome{};
  LVITEMW it{};
  it.iSubItem = hti.iSubItem;
  it.pszText = static_cast<LPWSTR>(block.at(kTextOff));
  it.cchTextMax = kChars;
  block.Write(0, &it, sizeof it);
  LRESULT got;
  if (!t.Send(LVM_GETITEMTEXTW, hti.iItem, reinterpret_cast<LPARAM>(block.at(0)), got) || got <= 0)
    return CaptureOutcome{};
  std::wstring text(static_cast<size_t>(std::min<LRESULT>(got, kChars - 1)), L'\0');
  block.Read(kTextOff, text.data(), text.size() * sizeof(wchar_t));
  RECT rc{LVIR_LABEL, hti.iSubItem, 0, 0};
  block.Write(0, &rc, sizeof rc);
  if (!t.Send(LVM_GETSUBITEMRECT, hti.iItem, reinterpret_cast<LPARAM>(block.at(0)), r) || !r) return CaptureOutcome{};
  Layout lay;
  block.Read(0, &lay.box, sizeof lay.box);
  lay.leftPad = hti.iSubItem ? 6 : 2;
  lay.vcenter = true;
  platform::UniqueFont font = t.Font();
  return FromLaidOutText(text, font.get(), lay, pt, WCS_LISTVIEW, req);
}

std::optional<CaptureOutcome> FromTreeView(const Target& t, POINT pt, const CaptureRequest& req) {
  constexpr size_t kTextOff = 256, kChars = 1024;
  SharedBlock block(t, kTextOff + kChars * sizeof(wchar_t));
  if (!block) return std::nullopt;
  TVHITTESTINFO hti{};
  hti.pt = pt;
  block.Write(0, &hti, sizeof hti);
  LRESULT r;
  if (!t.Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(block.at(0)), r) || !r) return CaptureOutcome{};
  block.Read(0, &hti, sizeof hti);
  if (!(hti.flags & TVHT_ONITEMLABEL)) return CaptureOutcome{};
  TVITEMW it{};
  it.mask = TVIF_TEXT | TVIF_HANDLE;
  it.hItem = hti.hItem;
  it.pszText = static_cast<LPWSTR>(block.at(kTextOff));
  it.cchTextMax = kChars;
  block.Write(0, &it, sizeof it);
  if (!t.Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.at(0)), r) || !r) return CaptureOutcome{};
  std::wstring text(kChars, L'\0');
  block.Read(kTextOff, text.data(), text.size() * sizeof(wchar_t));
  text.resize(wcsnlen(text.c_str(), kChars - 1));
  Layout lay;
  HTREEITEM h = hti.hItem;
  block.Write(0, &h, sizeof h);
  if (!t.Send(TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(block.at(0)), r) || !r) return CaptureOutcome{};
  block.Read(0, &lay.box, sizeof lay.box);
  lay.leftPad = 2;
  lay.vcenter = true;
  platform::UniqueFont font = t.Font();
  return FromLaidOutText(text, font.get(), lay, pt, WCS_TREEVIEW, req);
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

bool ClassIs(const std::wstring& cls, const wchar_t* name) {
  if (_wcsicmp(cls.c_str(), name) == 0) return true;
  // Frameworks name their subclasses "WindowsForms10.EDIT.app.0.1a2b3c" and the like.
  std::wstring up = cls, key = std::wstring(L".") + name + L".";
  std::transform(up.begin(), up.end(), up.begin(), ::towupper);
  std::transform(key.begin(), key.end(), key.begin(), ::towupper);
  return up.find(key) != std::wstring::npos;
}

bool IsGroupBox(HWND h) {
  wchar_t cls[32] = {};
  GetClassNameW(h, cls, 32);
  return _wcsicmp(cls, L"Button") == 0 &&
         (GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The innermost visible child under the point. WindowFromPoint stops at the parent of labels
// and group boxes, which answer WM_NCHITTEST with HTTRANSPARENT; a group box yields to the
// controls it frames.
HWND DeepestChild(HWND h, POINT screenPt) {
  for (int depth = 0; depth < 32; ++depth) {
    HWND found = nullptr, group = nullptr;
    for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (!IsWindowVisible(c)) continue;
      RECT rc;
      GetWindowRect(c, &rc);
      if (!PtInRect(&rc, screenPt)) continue;
      if (IsGroupBox(c)) {
        if (!group) group = c;
        continue;
      }
      found = c;
      break;
    }
    if (!found) found = group;
    if (!found) return h;
    h = found;
  }
  return h;
}

// With per-monitor awareness our points are physical pixels, but a program that is not aware
// of the monitor's scale answers its controls' questions in its own logical pixels. For the
// time of the questions the thread takes on the window's awareness, and the point becomes the
// window's logical point; every coordinate then agrees.
class DpiScope {
 public:
  DpiScope(HWND h, POINT& screenPt) {
    static const auto fns = [] {
      HMODULE user32 = GetModuleHandleW(L"user32.dll");
      auto get = [&](const char* name) {
        return user32 ? reinterpret_cast<void*>(GetProcAddress(user32, name)) : nullptr;
      };
      return Functions{
          reinterpret_cast<GetContextFn>(get("GetThreadDpiAwarenessContext")),
          reinterpret_cast<SetContextFn>(get("SetThreadDpiAwarenessContext")),
          reinterpret_cast<WindowContextFn>(get("GetWindowDpiAwarenessContext")),
          reinterpret_cast<ContextAwarenessFn>(get("GetAwarenessFromDpiAwarenessContext")),
          reinterpret_cast<ToLogicalFn>(get("PhysicalToLogicalPointForPerMonitorDPI"))};
    }();
    if (!fns.getThread || !fns.setThread || !fns.ofWindow || !fns.awareness || !fns.toLogical)
      return;
    constexpr int kPerMonitor = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE
    DPI_AWARENESS_CONTEXT ours = fns.getThread();
    DPI_AWARENESS_CONTEXT theirs = fns.ofWindow(h);
    if (!ours || !theirs || fns.awareness(ours) != kPerMonitor ||
        fns.awareness(theirs) == kPerMonitor)
      return;
    POINT logical = screenPt;
    if (!fns.toLogical(h, &logical)) return;
    m_old = fns.setThread(theirs);
    if (m_old) screenPt = logical;
    m_set = fns.setThread;
  }
  ~DpiScope() {
    if (m_old) m_set(m_old);
  }
  DpiScope(const DpiScope&) = delete;
  DpiScope& operator=(const DpiScope&) = delete;

 private:
  using GetContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)();
  using SetContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
  using WindowContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
  using ContextAwarenessFn = int(WINAPI*)(DPI_AWARENESS_CONTEXT);
  using ToLogicalFn = BOOL(WINAPI*)(HWND, POINT*);
  struct Functions {
    GetContextFn getThread;
    SetContextFn setThread;
    WindowContextFn ofWindow;
    ContextAwarenessFn awareness;
    ToLogicalFn toLogical;
  };
  DPI_AWARENESS_CONTEXT m_old = nullptr;
  SetContextFn m_set = nullptr;
};

// Nothing when the window is of no kind we know, or when its kind answers only through memory
// that cannot be lent in its process.
std::optional<CaptureOutcome> FromWindow(HWND h, const CaptureRequest& req, const Deadline& deadline) {
  Target t(h, req.timeoutMs, deadline);
  POINT screenPt = req.pt;
  DpiScope dpi(h, screenPt);
  POINT pt = screenPt;
  ScreenToClient(h, &pt);
  const std::wstring cls = t.ClassName();
  if (ClassIs(cls, L"Edit")) return FromEdit(t, pt, req);
  if (_wcsnicmp(cls.c_str(), L"RichEdit", 8) == 0 || ClassIs(cls, L"RICHEDIT50W"))
    return FromRichEdit(t, pt, req);
  if (ClassIs(cls, L"Static")) return FromStatic(t, pt, req);
  if (ClassIs(cls, L"Button")) return FromButton(t, pt, req);
  if (ClassIs(cls, L"ListBox") || _wcsicmp(cls.c_str(), L"ComboLBox") == 0)
    return FromListBox(t, pt, req);
  if (ClassIs(cls, L"ComboBox")) return FromComboBox(t, pt, req);
  if (_wcsicmp(cls.c_str(), WC_LISTVIEWW) == 0) return FromListView(t, pt, req);
  if (_wcsicmp(cls.c_str(), WC_TREEVIEWW) == 0) return FromTreeView(t, pt, req);
  LRESULT hit = t.SendOr(WM_NCHITTEST, 0, MAKELPARAM(screenPt.x, screenPt.y), HTNOWHERE);
  if (hit == HTCAPTION) return FromCaption(t, screenPt, req);
  return std::nullopt;
}

}  // namespace

bool TokenAt(std::wstring_view text, size_t index, size_t& start, size_t& end) {
  if (index >= text.size() || IsSpace(text[index])) return false;
  start = index;
  while (start > 0 && !IsSpace(text[start - 1])) --start;
  end = index + 1;
  while (end < text.size() && !IsSpace(text[end])) ++end;
  return true;
}

CaptureOutcome CaptureAt(const CaptureRequest& req, OcrRecognizer* ocr) {
  const Deadline deadline(req.budgetMs);
  if (req.options & WCO_OCR) {
    OcrRecognizer& rec = ocr ? *ocr : SystemRecognizer();
    const RECT area{req.pt.x - req.ocrArea.cx / 2, req.pt.y - req.ocrArea.cy / 2,
                    req.pt.x + (req.ocrArea.cx + 1) / 2, req.pt.y + (req.ocrArea.cy + 1) / 2};
    std::wstring word =
        WordAtPoint(rec.Recognize(area, req.ocrLanguage, deadline.Remaining()), req.pt);
    if (word.size() > req.maxChars) word.resize(req.maxChars);
    if (word.empty()) return {};
    return {std::move(word), WCS_OCR, -1};
  }

  HWND h = req.hwnd && IsWindow(req.hwnd) ? req.hwnd : WindowFromPoint(req.pt);
  if (!h) return {};
  h = DeepestChild(h, req.pt);
  if (std::optional<CaptureOutcome> out = FromWindow(h, req, deadline)) return *out;
  // Browsers, word processors and modern programs draw their text themselves.
  if (AutomationAvailable()) return AutomationTextAt(req.pt, req.maxChars, deadline.Remaining());
  return {};
}

bool BlankSpotMemo::Known(POINT pt) const {
  return m_set && pt.x == m_pt.x && pt.y == m_pt.y &&
         std::chrono::steady_clock::now() - m_at < kRetryAfter;
}

void BlankSpotMemo::Remember(POINT pt, bool blank) {
  m_set = blank;
  m_pt = pt;
  m_at = std::chrono::steady_clock::now();
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace qv::capture
