// One icon in the notification area: added with its tooltip and a balloon, its popup menu
// (the first submenu of a menu resource, localized through the text bundle), its mouse
// notifications turned into menu commands for a notification window, and put back when the
// shell's taskbar is re-created. The object is itself a hidden helper window that receives the
// shell's "TaskbarCreated" broadcast.
//
// Not offered, since the program uses none of them: icon animation, icons made from bitmaps,
// hiding and showing the icon, changing its tooltip after creation, the record's older sizes
// (the program runs on Windows 10 and later).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <span>
#include <string_view>

#include "platform/unique_handle.h"
#include "app/ui/window.h"

namespace qv {

class CTrayIcon : public ui::CWindowImpl<CTrayIcon> {
 public:
  // The balloon's icon: the system's warning, error or information sign, none, or the icon's own.
  enum class BalloonStyle { Warning, Error, Info, None, User };

  struct Options {
    HWND notifyWindow = nullptr;  // gets the callback message and the menu's commands
    UINT id = 0;
    UINT callbackMessage = 0;
    HICON icon = nullptr;
    std::wstring_view tooltip;  // at most 127 characters are kept
    UINT menuId = 0;            // the menu resource; 0 means the icon's id
    UINT defaultItem = 0;       // the popup menu's default item, by position
    // The balloon shown as the icon is added: none when the text is empty.
    std::wstring_view balloonText, balloonTitle;
    UINT balloonTimeoutMs = 0;
    BalloonStyle balloonStyle = BalloonStyle::None;
    bool balloonSilent = false;
  };

  // The helper window's class and title stay as other programs have known them.
  static constexpr const wchar_t* kClassName = L"TrayNotifyIconClass";
  static constexpr const wchar_t* kHelperTitle = L"CTrayNotifyIcon Helper Window";

  CTrayIcon();
  ~CTrayIcon() override;

  // Adds the icon; false when the menu, its first submenu or the helper window cannot be had,
  // or when the shell refuses the icon.
  bool Create(const Options& options);

  // For every callback message of the notification window; false for another icon's.
  bool OnTrayNotification(WPARAM wParam, LPARAM lParam);
  // Gives the popup menu's item at `pos` this text; its command and state stay.
  bool SetMenuItemText(UINT pos, const wchar_t* text);
  // Shows a balloon over the icon (the icon must be there); false when the shell refuses it.
  bool ShowBalloon(const wchar_t* text, const wchar_t* title, BalloonStyle style, UINT timeoutMs);
  // Deletes the icon if it is there (true when there was nothing to delete); closes the helper
  // window if asked.
  bool RemoveIcon(bool closeHelperWindow);

  bool IsCreated() const { return m_created; }
  const NOTIFYICONDATAW& NotifyData() const { return m_notifyIconData; }
  HMENU PopupMenu() const { return GetSubMenu(m_menu.get(), 0); }

  std::span<const ui::MsgEntry<CTrayIcon>> MessageTable();

 private:
  LRESULT OnTaskbarCreated(UINT, WPARAM, LPARAM);

  NOTIFYICONDATAW m_notifyIconData{};
  bool m_created = false;
  HWND m_notifyWindow = nullptr;
  platform::UniqueHandle<HMENU, &DestroyMenu> m_menu;
};

}  // namespace qv
