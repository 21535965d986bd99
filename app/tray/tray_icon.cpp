#include "app/tray/tray_icon.h"

#include <shlwapi.h>

#include <algorithm>
#include <cwchar>

#include "app/localize_menu.h"

namespace qv {
namespace {

// Copies at most `limit` characters (the record's field holds limit + 1).
template <size_t N>
void CopyTruncated(wchar_t (&field)[N], const wchar_t* text, size_t limit) {
  const size_t n = text ? std::min(std::wcslen(text), std::min(limit, N - 1)) : 0;
  if (n) std::wmemcpy(field, text, n);
  field[n] = L'\0';
}

UINT TaskbarCreatedMessage() {
  static const UINT msg = RegisterWindowMessageW(L"TaskbarCreated");
  return msg;
}

}  // namespace

ShellLevel ShellLevelFor(DWORD major, DWORD minor, DWORD build) noexcept {
  if (major > 6 || (major == 6 && minor > 0)) return ShellLevel::Version7;
  if (major == 6) return build >= 6000 ? ShellLevel::VersionVista : ShellLevel::Version6;
  if (major == 5) return ShellLevel::Version5;
  return ShellLevel::Version4;
}

DWORD NotifyDataSize(ShellLevel level) noexcept {
  switch (level) {
    case ShellLevel::Version4: return NOTIFYICONDATAW_V1_SIZE;
    case ShellLevel::Version5: return NOTIFYICONDATAW_V2_SIZE;
    case ShellLevel::Version6: return NOTIFYICONDATAW_V3_SIZE;
    default: return sizeof(NOTIFYICONDATAW);
  }
}

CTrayNotifyIcon::CTrayNotifyIcon() {
  TaskbarCreatedMessage();
  // The shell library is already loaded by the program; it is not loaded for this purpose.
  if (HMODULE shell = GetModuleHandleW(L"SHELL32.DLL")) {
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(shell, "DllGetVersion")));
    DLLVERSIONINFO dvi{};
    dvi.cbSize = sizeof dvi;  // 20
    if (getVersion && SUCCEEDED(getVersion(&dvi)))
      m_ShellVersion = ShellLevelFor(dvi.dwMajorVersion, dvi.dwMinorVersion, dvi.dwBuildNumber);
  }
  m_NotifyIconData = {};
  m_NotifyIconData.cbSize = NotifyDataSize(m_ShellVersion);
}

CTrayNotifyIcon::~CTrayNotifyIcon() { RemoveIcon(true); }

std::span<const ui::MsgEntry<CTrayNotifyIcon>> CTrayNotifyIcon::MessageTable() {
  static const ui::MsgEntry<CTrayNotifyIcon> table[] = {
      ui::OnMessage<CTrayNotifyIcon>(TaskbarCreatedMessage(), &CTrayNotifyIcon::OnTaskbarCreated),
  };
  return table;
}

HICON CTrayNotifyIcon::LoadIcon(UINT resourceId, bool smallIcon) noexcept {
  const int cx = GetSystemMetrics(smallIcon ? SM_CXSMICON : SM_CXICON);
  const int cy = GetSystemMetrics(smallIcon ? SM_CYSMICON : SM_CYICON);
  return static_cast<HICON>(LoadImageW(ui::ResourceInstance(), MAKEINTRESOURCEW(resourceId),
                                       IMAGE_ICON, cx, cy, LR_SHARED));
}

bool CTrayNotifyIcon::Create(HWND hNotifyWnd, UINT uID, const wchar_t* pszTooltipText,
                             const wchar_t* pszBalloonText, const wchar_t* pszBalloonTitle,
                             UINT nTimeout, BalloonStyle style, HICON hIcon, UINT nNotifyMessage,
                             UINT uMenuID, bool bNoSound, bool bLargeIcon, bool bRealtime,
                             HICON hBalloonIcon, bool bQuietTime, bool bShow) {
  const UINT menuId = uMenuID ? uMenuID : uID;
  m_Menu.reset(LoadMenuW(ui::ResourceInstance(), MAKEINTRESOURCEW(menuId)));
  if (!m_Menu) return false;
  LocalizeMenu(m_Menu.get());
  HMENU popup = GetSubMenu(m_Menu.get(), 0);
  if (!popup || !IsMenu(popup)) return false;
  SetMenuDefaultItem(popup, m_nDefaultMenuItem, m_bDefaultMenuItemByPos);

  if (!m_hWnd && !ui::CWindowImpl<CTrayNotifyIcon>::Create(nullptr, kHelperTitle, WS_OVERLAPPEDWINDOW))
    return false;

  m_hNotifyWnd = hNotifyWnd;
  NOTIFYICONDATAW& nid = m_NotifyIconData;
  nid.hWnd = hNotifyWnd;
  nid.uID = uID;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
  nid.uCallbackMessage = nNotifyMessage;
  nid.hIcon = hIcon;
  CopyTruncated(nid.szTip, pszTooltipText, 127);
  CopyTruncated(nid.szInfo, pszBalloonText, 255);
  CopyTruncated(nid.szInfoTitle, pszBalloonTitle, 63);
  nid.uTimeout = nTimeout;
  switch (style) {
    case Warning: nid.dwInfoFlags = NIIF_WARNING; break;
    case Error: nid.dwInfoFlags = NIIF_ERROR; break;
    case Info: nid.dwInfoFlags = NIIF_INFO; break;
    case None: nid.dwInfoFlags = NIIF_NONE; break;
    case User:
      nid.dwInfoFlags = NIIF_USER;
      nid.hBalloonIcon = hBalloonIcon ? hBalloonIcon : hIcon;
      break;
  }
  if (bNoSound) nid.dwInfoFlags |= NIIF_NOSOUND;
  if (bLargeIcon) nid.dwInfoFlags |= NIIF_LARGE_ICON;
  if (bQuietTime) nid.dwInfoFlags |= NIIF_RESPECT_QUIET_TIME;
  if (bRealtime) nid.uFlags |= NIF_REALTIME;
  if (!bShow) {
    nid.uFlags |= NIF_STATE;
    nid.dwState = nid.dwStateMask = NIS_HIDDEN;
  }

  m_bCreated = Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
  if (m_bCreated) {
    m_bHidden = !bShow;
    nid.uVersion = NOTIFYICON_VERSION;
    Shell_NotifyIconW(NIM_SETVERSION, &nid);
  }
  return m_bCreated;
}

bool CTrayNotifyIcon::OnTrayNotification(WPARAM wParam, LPARAM lParam) {
  if (wParam != m_NotifyIconData.uID) return false;
  HMENU popup = PopupMenu();
  switch (LOWORD(lParam)) {
    case WM_RBUTTONUP: {
      POINT pt;
      GetCursorPos(&pt);
      SetForegroundWindow(m_hNotifyWnd);
      TrackPopupMenu(popup, TPM_LEFTBUTTON, pt.x, pt.y, 0, m_hNotifyWnd, nullptr);
      PostMessageW(m_hNotifyWnd, WM_NULL, 0, 0);  // lets the menu close when focus moves on
      break;
    }
    case WM_LBUTTONDBLCLK: {
      SetForegroundWindow(m_hNotifyWnd);
      const UINT cmd = GetMenuDefaultItem(popup, FALSE, GMDI_GOINTOPOPUPS);
      if (cmd != static_cast<UINT>(-1)) SendMessageW(m_hNotifyWnd, WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
      break;
    }
    default:
      break;
  }
  return true;
}

bool CTrayNotifyIcon::SetMenuItemText(UINT pos, const wchar_t* text) {
  ModifyMenuW(PopupMenu(), pos, MF_BYPOSITION | MF_STRING, kToggleCommand, text);
  return true;
}

bool CTrayNotifyIcon::ShowBalloon(const wchar_t* text, const wchar_t* title, BalloonStyle style,
                                  UINT timeoutMs) {
  if (!m_bCreated) return false;
  NOTIFYICONDATAW nid = m_NotifyIconData;
  nid.uFlags = NIF_INFO;
  CopyTruncated(nid.szInfo, text, 255);
  CopyTruncated(nid.szInfoTitle, title, 63);
  nid.uTimeout = timeoutMs;
  switch (style) {
    case Warning: nid.dwInfoFlags = NIIF_WARNING; break;
    case Error: nid.dwInfoFlags = NIIF_ERROR; break;
    case Info: nid.dwInfoFlags = NIIF_INFO; break;
    case None: nid.dwInfoFlags = NIIF_NONE; break;
    case User: nid.dwInfoFlags = NIIF_USER; break;
  }
  return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

bool CTrayNotifyIcon::RemoveIcon(bool bCloseHelperWindow) {
  bool ok = true;
  if (m_bCreated) {
    NOTIFYICONDATAW nid = m_NotifyIconData;
    nid.uFlags = 0;
    ok = Shell_NotifyIconW(NIM_DELETE, &nid) != FALSE;
    m_bCreated = false;
  }
  if (bCloseHelperWindow && IsWindow()) SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
  return ok;
}

LRESULT CTrayNotifyIcon::OnTaskbarCreated(UINT, WPARAM, LPARAM) {
  const bool show = !m_bHidden;
  RemoveIcon(false);
  NOTIFYICONDATAW& nid = m_NotifyIconData;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  if (!show) {
    nid.uFlags |= NIF_STATE;
    nid.dwState = nid.dwStateMask = NIS_HIDDEN;
  }
  m_bCreated = Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
  if (m_bCreated) m_bHidden = !show;
  return 0;
}

}  // namespace qv
