#include "app/splash_dlg.h"

#include "app/ui/center_window.h"
#include "app/ui/fit_picture.h"

namespace qv {

using ui::MsgEntry;
using ui::OnMessage;

std::span<const MsgEntry<CSplashDlg>> CSplashDlg::MessageTable() {
  static constexpr MsgEntry<CSplashDlg> kTable[] = {
      OnMessage<CSplashDlg>(WM_INITDIALOG, &CSplashDlg::OnInitDialog),
      OnMessage<CSplashDlg>(WM_TIMER, &CSplashDlg::OnTimer),
  };
  return kTable;
}

LRESULT CSplashDlg::OnInitDialog(UINT, WPARAM, LPARAM) {
  ui::FitDialogToPicture(m_hwnd, GetWindow(m_hwnd, GW_CHILD));
  ui::CenterWindow(m_hwnd);
  // Without the timer nothing would ever close the splash.
  if (!SetTimer(m_hwnd, kTimerId, kShowMs, nullptr)) EndDialog(1);
  return TRUE;
}

LRESULT CSplashDlg::OnTimer(UINT, WPARAM wp, LPARAM) {
  if (wp == kTimerId) {
    KillTimer(m_hwnd, kTimerId);
    EndDialog(1);
  }
  return 0;
}

}  // namespace qv
