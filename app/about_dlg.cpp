#include "app/about_dlg.h"

#include "app/localize.h"
#include "app/program_icon.h"
#include "app/ui/center_window.h"
#include "wordnet_notice.h"  // generated from the licence of Debian's WordNet package

using qv::ui::MsgEntry;
using qv::ui::OnCommand;
using qv::ui::OnMessage;

std::span<const MsgEntry<CAboutDlg>> CAboutDlg::MessageTable() {
  static constexpr MsgEntry<CAboutDlg> kTable[] = {
      OnMessage<CAboutDlg>(WM_INITDIALOG, &CAboutDlg::OnInitDialog),
      OnCommand<CAboutDlg>(IDOK, &CAboutDlg::OnCloseCmd),
      OnCommand<CAboutDlg>(IDCANCEL, &CAboutDlg::OnCloseCmd),
  };
  return kTable;
}

LRESULT CAboutDlg::OnInitDialog(UINT, WPARAM, LPARAM) {
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(qv::LoadProgramIcon(IDI_QV_WINDOW, false)));
  qv::ui::CenterWindow(m_hWnd);
  SetDlgItemTextW(m_hWnd, IDC_ABOUT_NOTICE, kWordNetNotice);
  qv::LocalizeWindow(m_hWnd, L"About", {IDC_ABOUT_MAKER, IDOK});
  return TRUE;
}

LRESULT CAboutDlg::OnCloseCmd(UINT, WPARAM wp, LPARAM) {
  EndDialog(LOWORD(wp));
  return 0;
}

void qv::ShowAbout(HWND owner) noexcept {
  CAboutDlg dlg;
  dlg.DoModal(owner);
}
