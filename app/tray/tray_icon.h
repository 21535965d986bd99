// One icon in the notification area: added with its tooltip and a balloon, its popup menu
// (the first submenu of a menu resource, localized through the text bundle), its mouse
// notifications turned into menu commands for a notification window, and put back when the
// shell's taskbar is re-created. The object is itself a hidden helper window that receives the
// shell's "TaskbarCreated" broadcast.
//
// Not offered, since the program uses none of them: icon animation, icons made from bitmaps,
// hiding and showing the icon, changing its tooltip after creation.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <span>

#include "platform/unique_handle.h"
#include "app/ui/window.h"

namespace qv {

// The shell's behaviour level, from the version of its library.
enum class ShellLevel { Version4 = 0, Version5 = 1, Version6 = 2, VersionVista = 3, Version7 = 4 };
ShellLevel ShellLevelFor(DWORD major, DWORD minor, DWORD build) noexcept;
// The size of the notification record the shell of that level understands.
DWORD NotifyDataSize(ShellLevel level) noexcept;

class CTrayNotifyIcon : public ui::CWindowImpl<CTrayNotifyIcon> {
 public:
  enum BalloonStyle { Warning = 0, Error = 1, Info = 2, None = 3, User = 4 };
  static constexpr const wchar_t* kClassName = L"TrayNotifyIconClass";
  static constexpr const wchar_t* kHelperTitle = L"CTrayNotifyIcon Helper Window";
  static constexpr UINT kToggleCommand = 57664;

  CTrayNotifyIcon();
  ~CTrayNotifyIcon() override;

  // Adds the icon with a balloon; false when the menu, its first submenu or the helper window
  // cannot be had, or when the shell refuses the icon. A menu id of 0 means the icon id.
  bool Create(HWND hNotifyWnd, UINT uID, const wchar_t* pszTooltipText,
              const wchar_t* pszBalloonText, const wchar_t* pszBalloonTitle, UINT nTimeout,
              BalloonStyle style, HICON hIcon, UINT nNotifyMessage, UINT uMenuID, bool bNoSound,
              bool bLargeIcon, bool bRealtime, HICON hBalloonIcon, bool bQuietTime, bool bShow);

  // For every callback message of the notification window; false for another icon's.
  bool OnTrayNotification(WPARAM wParam, LPARAM lParam);
  // Gives the popup menu's item at `pos` this text and the toggle command.
  bool SetMenuItemText(UINT pos, const wchar_t* text);
  // Shows a balloon over the icon (the icon must be there); false when the shell refuses it.
  bool ShowBalloon(const wchar_t* text, const wchar_t* title, BalloonStyle style, UINT timeoutMs);
  // Deletes the icon if it is there (true when there was nothing to delete); closes the helper
  // window if asked.
  bool RemoveIcon(bool bCloseHelperWindow);

  static HICON LoadIcon(UINT resourceId, bool smallIcon) noexcept;

  bool IsCreated() const { return m_bCreated; }
  ShellLevel GetShellLevel() const { return m_ShellVersion; }
  const NOTIFYICONDATAW& NotifyData() const { return m_NotifyIconData; }
  HMENU PopupMenu() const { return GetSubMenu(m_Menu.get(), 0); }

  std::span<const ui::MsgEntry<CTrayNotifyIcon>> MessageTable();

 private:
  LRESULT OnTaskbarCreated(UINT, WPARAM, LPARAM);

  NOTIFYICONDATAW m_NotifyIconData{};
  bool m_bCreated = false;
  bool m_bHidden = false;
  HWND m_hNotifyWnd = nullptr;
  platform::UniqueHandle<HMENU, &DestroyMenu> m_Menu;
  UINT m_nDefaultMenuItem = 3;  // "&Settings...", below "Look Up a Word..."
  bool m_bDefaultMenuItemByPos = true;
  ShellLevel m_ShellVersion = ShellLevel::Version4;
};

}  // namespace qv
