// RichEdit controls, whose questions about positions take pointers: asked through memory lent
// in the control's process.
#include <richedit.h>

#include <algorithm>

#include "capture/control.h"

namespace qv::capture {

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

}  // namespace qv::capture
