#include "app/splash_dlg.h"

#include "app/ui/center_window.h"
#include "app/ui/fit_picture.h"

using qv::ui::MsgEntry;
using qv::ui::OnMessage;

std::span<const MsgEntry<CSplashDlg>> CSplashDlg::MessageTable() {
  static constexpr MsgEntry<CSplashDlg> kTable[] = {
      OnMessage<CSplashDlg>(WM_INITDIALOG, &CSplashDlg::OnInitDialog),
      OnMessage<CSplashDlg>(WM_TIMER, &CSplashDlg::OnTimer),
  };
  return kTable;
}

LRESULT CSplashDlg::OnInitDialog(UINT, WPARAM, LPARAM) {
  qv::ui::FitDialogToPicture(m_hWnd, GetWindow(m_hWnd, GW_CHILD));
  qv::ui::CenterWindow(m_hWnd);
  // Without the timer nothing would ever close the splash.
  if (!SetTimer(m_hWnd, kTimerId, kShowMs, nullptr)) EndDialog(1);
  return TRUE;
}

LRESULT CSplashDlg::OnTimer(UINT, WPARAM wp, LPARAM) {
  if (wp == kTimerId) {
    KillTimer(m_hWnd, kTimerId);
    EndDialog(1);
  }
  return 0;
}
