#include "app/tray/tray_icon.h"

#include <algorithm>
#include <cwchar>

#include "app/localize.h"

namespace qv {
namespace {

// Copies at most `limit` characters (the record's field holds limit + 1).
template <size_t N>
void CopyTruncated(wchar_t (&field)[N], std::wstring_view text, size_t limit) {
  const size_t n = std::min(text.size(), std::min(limit, N - 1));
  if (n) std::wmemcpy(field, text.data(), n);
  field[n] = L'\0';
}

DWORD InfoFlags(CTrayIcon::BalloonStyle style) {
  switch (style) {
    case CTrayIcon::BalloonStyle::Warning: return NIIF_WARNING;
    case CTrayIcon::BalloonStyle::Error: return NIIF_ERROR;
    case CTrayIcon::BalloonStyle::Info: return NIIF_INFO;
    case CTrayIcon::BalloonStyle::User: return NIIF_USER;
    default: return NIIF_NONE;
  }
}

UINT TaskbarCreatedMessage() {
  static const UINT msg = RegisterWindowMessageW(L"TaskbarCreated");
  return msg;
}

}  // namespace

CTrayIcon::CTrayIcon() {
  TaskbarCreatedMessage();
  m_notifyIconData.cbSize = sizeof m_notifyIconData;
}

CTrayIcon::~CTrayIcon() { RemoveIcon(true); }

std::span<const ui::MsgEntry<CTrayIcon>> CTrayIcon::MessageTable() {
  static const ui::MsgEntry<CTrayIcon> table[] = {
      ui::OnMessage<CTrayIcon>(TaskbarCreatedMessage(), &CTrayIcon::OnTaskbarCreated),
  };
  return table;
}

bool CTrayIcon::Create(const Options& options) {
  m_menu.reset(LoadMenuW(ui::ResourceInstance(),
                         MAKEINTRESOURCEW(options.menuId ? options.menuId : options.id)));
  if (!m_menu) return false;
  LocalizeMenu(m_menu.get());
  HMENU popup = GetSubMenu(m_menu.get(), 0);
  if (!popup || !IsMenu(popup)) return false;
  SetMenuDefaultItem(popup, options.defaultItem, TRUE);

  if (!m_hwnd && !ui::CWindowImpl<CTrayIcon>::Create(nullptr, kHelperTitle, WS_OVERLAPPEDWINDOW))
    return false;

  m_notifyWindow = options.notifyWindow;
  NOTIFYICONDATAW& nid = m_notifyIconData;
  nid.hWnd = options.notifyWindow;
  nid.uID = options.id;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
  nid.uCallbackMessage = options.callbackMessage;
  nid.hIcon = options.icon;
  CopyTruncated(nid.szTip, options.tooltip, 127);
  CopyTruncated(nid.szInfo, options.balloonText, 255);
  CopyTruncated(nid.szInfoTitle, options.balloonTitle, 63);
  nid.uTimeout = options.balloonTimeoutMs;
  nid.dwInfoFlags = InfoFlags(options.balloonStyle);
  if (options.balloonStyle == BalloonStyle::User) nid.hBalloonIcon = options.icon;
  if (options.balloonSilent) nid.dwInfoFlags |= NIIF_NOSOUND;

  m_created = Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
  if (m_created) {
    nid.uVersion = NOTIFYICON_VERSION;
    Shell_NotifyIconW(NIM_SETVERSION, &nid);
  }
  return m_created;
}

bool CTrayIcon::OnTrayNotification(WPARAM wParam, LPARAM lParam) {
  if (wParam != m_notifyIconData.uID) return false;
  HMENU popup = PopupMenu();
  switch (LOWORD(lParam)) {
    case WM_RBUTTONUP: {
      POINT pt;
      GetCursorPos(&pt);
      SetForegroundWindow(m_notifyWindow);
      TrackPopupMenu(popup, TPM_LEFTBUTTON, pt.x, pt.y, 0, m_notifyWindow, nullptr);
      PostMessageW(m_notifyWindow, WM_NULL, 0, 0);  // lets the menu close when focus moves on
      break;
    }
    case WM_LBUTTONDBLCLK: {
      SetForegroundWindow(m_notifyWindow);
      const UINT cmd = GetMenuDefaultItem(popup, FALSE, GMDI_GOINTOPOPUPS);
      if (cmd != static_cast<UINT>(-1)) SendMessageW(m_notifyWindow, WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
      break;
    }
    default:
      break;
  }
  return true;
}

bool CTrayIcon::SetMenuItemText(UINT pos, const wchar_t* text) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<wchar_t*>(text);
  return SetMenuItemInfoW(PopupMenu(), pos, TRUE, &info) != FALSE;
}

bool CTrayIcon::ShowBalloon(const wchar_t* text, const wchar_t* title, BalloonStyle style,
                            UINT timeoutMs) {
  if (!m_created) return false;
  NOTIFYICONDATAW nid = m_notifyIconData;
  nid.uFlags = NIF_INFO;
  CopyTruncated(nid.szInfo, text ? text : L"", 255);
  CopyTruncated(nid.szInfoTitle, title ? title : L"", 63);
  nid.uTimeout = timeoutMs;
  nid.dwInfoFlags = InfoFlags(style);
  return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

bool CTrayIcon::RemoveIcon(bool closeHelperWindow) {
  bool ok = true;
  if (m_created) {
    NOTIFYICONDATAW nid = m_notifyIconData;
    nid.uFlags = 0;
    ok = Shell_NotifyIconW(NIM_DELETE, &nid) != FALSE;
    m_created = false;
  }
  if (closeHelperWindow && IsWindow()) SendMessageW(m_hwnd, WM_CLOSE, 0, 0);
  return ok;
}

LRESULT CTrayIcon::OnTaskbarCreated(UINT, WPARAM, LPARAM) {
  RemoveIcon(false);
  NOTIFYICONDATAW& nid = m_notifyIconData;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_created = Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
  return 0;
}

}  // namespace qv
