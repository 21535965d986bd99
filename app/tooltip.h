// The translation popup: a balloon beside the pointer with the program icon and a title line,
// a body wrapped at a maximum width with its tabs and line feeds honoured, one clickable link
// (the text between "<A>" and "</A>") and a close button. It is drawn by the program itself:
// the system tooltip control of some platforms draws neither tab stops, nor links, nor the
// close button. The balloon is topmost and never takes the focus. A click on the link sends the
// owner WM_NOTIFY with TTN_LINKCLICK, as the system control does.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "platform/gdi_win.h"
#include "app/ui/window.h"

namespace qv {

class CTooltip : public ui::CWindowImpl<CTooltip> {
 public:
  CTooltip() = default;
  ~CTooltip() override { Destroy(); }

  // Replaces any previous popup by a new, hidden one owned by `owner`. False when the window
  // cannot be created; the other calls then do nothing.
  bool Create(HWND owner, const wchar_t* title);
  // Width at which the body wraps, in logical pixels (96 per inch); scaled with the DPI of the
  // pointer's monitor.
  void SetMaxWidth(int width);
  // Any length is accepted; what does not fit on the monitor is cut, keeping the link.
  // The window's own text (WM_GETTEXT) is the title, a line feed and the body without its link
  // tags, so that screen readers and other programs can read what the popup says.
  void SetText(const wchar_t* text);
  // Shows the balloon with its stem pointing 10 pixels below the pointer, inside the work area
  // of the pointer's monitor, without activating it.
  void ShowAtCursor();
  // Safe without a popup and when called twice.
  void Destroy() noexcept;

  HWND hwnd() const noexcept { return m_hwnd; }
  operator HWND() const noexcept { return m_hwnd; }

  // Layout as shown, for the program's tests. Screen point the stem points at; rectangles and
  // pieces in client coordinates.
  struct Piece {
    std::wstring text;
    RECT rc;
    bool link;
  };
  POINT Anchor() const noexcept { return m_anchor; }
  const std::vector<Piece>& Pieces() const noexcept { return m_pieces; }
  RECT LinkRect() const noexcept;
  RECT CloseRect() const noexcept { return m_closeRc; }

  static constexpr int kAnchorBelowPointer = 10;
  static constexpr const wchar_t* kClassName = L"QvTranslationPopup";
  // A shadow under the balloon, and what it covers kept to be put back when it hides.
  static constexpr UINT kClassStyle = CS_DROPSHADOW | CS_SAVEBITS;

  std::span<const ui::MsgEntry<CTooltip>> MessageTable();

 private:
  enum class Part { None, Link, Close };

  // The pointer: the link and the close button answer it; the focus stays where it was.
  LRESULT OnMouseActivate(UINT, WPARAM, LPARAM);
  LRESULT OnSetCursor(UINT, WPARAM, LPARAM);
  LRESULT OnLButtonDown(UINT, WPARAM, LPARAM);
  LRESULT OnLButtonUp(UINT, WPARAM, LPARAM);
  LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM);
  Part HitTest(POINT client) const;

  // Drawing.
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM);
  LRESULT OnPaint(UINT, WPARAM, LPARAM);
  LRESULT OnDpiChanged(UINT, WPARAM, LPARAM);
  void Paint(HDC dc);
  void PaintCloseButton(HDC dc, COLORREF color);

  // Layout and placement, at the DPI of the pointer's monitor.
  void LoadGdi();
  void ReleaseGdi() noexcept;
  void Layout();
  void Place();
  void Shape(int bodyTop, int totalHeight);
  void UpdateWindowText();
  int Scale(int logical) const { return MulDiv(logical, static_cast<int>(m_dpi), 96); }

  HWND m_owner = nullptr;
  std::wstring m_title;
  std::wstring m_text;
  int m_maxWidth = 500;
  UINT m_dpi = 96;
  bool m_shown = false;
  POINT m_pointer{};
  POINT m_anchor{};
  bool m_stemUp = true;
  int m_stemX = 0;  // client x of the stem's tip
  SIZE m_size{};
  RECT m_titleRc{};
  RECT m_iconRc{};
  RECT m_closeRc{};
  std::vector<Piece> m_pieces;
  Part m_pressed = Part::None;
  platform::UniqueFont m_bodyFont;
  platform::UniqueFont m_linkFont;
  platform::UniqueFont m_titleFont;
  HICON m_icon = nullptr;  // the program's own (m_ownIcon), else the system's shared one
  platform::UniqueIcon m_ownIcon;
};

}  // namespace qv
