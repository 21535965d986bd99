#include "app/about_dlg.h"

#include "app/localize.h"
#include "app/program_icon.h"
#include "app/ui/center_window.h"
#include "wordnet_notice.h"  // generated from the licence of Debian's WordNet package

namespace qv {

using ui::MsgEntry;
using ui::OnCommand;
using ui::OnMessage;

std::span<const MsgEntry<CAboutDlg>> CAboutDlg::MessageTable() {
  static constexpr MsgEntry<CAboutDlg> kTable[] = {
      OnMessage<CAboutDlg>(WM_INITDIALOG, &CAboutDlg::OnInitDialog),
      OnCommand<CAboutDlg>(IDOK, &CAboutDlg::OnCloseCmd),
      OnCommand<CAboutDlg>(IDCANCEL, &CAboutDlg::OnCloseCmd),
  };
  return kTable;
}

LRESULT CAboutDlg::OnInitDialog(UINT, WPARAM, LPARAM) {
  SendMessageW(m_hwnd, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(LoadProgramIcon(IDI_QV_WINDOW, false)));
  ui::CenterWindow(m_hwnd);
  SetDlgItemTextW(m_hwnd, IDC_ABOUT_NOTICE, kWordNetNotice);
  LocalizeWindow(m_hwnd, L"About", {IDC_ABOUT_MAKER, IDOK});
  return TRUE;
}

LRESULT CAboutDlg::OnCloseCmd(UINT, WPARAM wp, LPARAM) {
  EndDialog(LOWORD(wp));
  return 0;
}

void ShowAbout(HWND owner) noexcept {
  CAboutDlg dlg;
  dlg.DoModal(owner);
}

}  // namespace qv
