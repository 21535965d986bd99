#include "app/aboutdlg.h"

#include <string>

#include "core/textbundle.h"
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

namespace {

// A control's text becomes the bundle's translation of it (empty when the bundle lacks it).
void LocalizeItem(HWND dlg, int id, const qv::CLocalizer& loc) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(dlg, id, text, 1024);
  SetDlgItemTextW(dlg, id, loc.GetText(text).c_str());
}

}  // namespace

LRESULT CAboutDlg::OnInitDialog(UINT, WPARAM, LPARAM) {
  const HICON icon = static_cast<HICON>(
      LoadImageW(qv::ui::ResourceInstance(), MAKEINTRESOURCEW(IDI_QV_WINDOW), IMAGE_ICON,
                 GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  qv::ui::CenterWindow(m_hWnd);
  SetDlgItemTextW(m_hWnd, IDC_ABOUT_NOTICE, kWordNetNotice);

  const qv::CLocalizer loc(L"About");
  SetWindowTextW(m_hWnd, loc.GetText(L"About").c_str());
  LocalizeItem(m_hWnd, IDC_ABOUT_MAKER, loc);
  LocalizeItem(m_hWnd, IDOK, loc);
  return TRUE;
}

LRESULT CAboutDlg::OnCloseCmd(UINT, WPARAM wp, LPARAM) {
  EndDialog(LOWORD(wp));
  return 0;
}
