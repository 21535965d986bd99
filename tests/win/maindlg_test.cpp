// The main dialog in this process, in a Wine virtual desktop with a taskbar: its localized
// settings window and menus, the tray menu that the enable switch keeps in step, the activation
// sequences (from the list and from another program), OK's hover delay, and the tray icon's
// record.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "core/settings.h"
#include "platform/registry.h"
#include "app/main_dlg.h"
#include "app/program_icon.h"

namespace qv {
namespace {

std::wstring MenuText(HMENU h, UINT pos) {
  wchar_t buf[256] = {};
  GetMenuStringW(h, pos, buf, 256, MF_BYPOSITION);
  return buf;
}

std::wstring ItemText(HWND dlg, int id) {
  wchar_t buf[256] = {};
  GetDlgItemTextW(dlg, id, buf, 256);
  return buf;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

class MainDlg : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The bundles of the source tree, as an installation folder holds them.
    std::wstring data = L"Z:" QV_SOURCE_DIR L"/data/";
    for (wchar_t& c : data)
      if (c == L'/') c = L'\\';
    platform::SetValueOverride(platform::Hive::LocalMachine, kMainKeyPath, L"Target", data);
    platform::SetValueOverride(platform::Hive::LocalMachine, kMainKeyPath, L"QVLang", L"fr");
    CoInitialize(nullptr);  // the capture engine is a COM object
  }
  void SetUp() override {
    ui::AppModule().AddMessageLoop(&loop);
    ASSERT_TRUE(dlg.Create(nullptr));
    h = dlg.m_hwnd;
    Pump();
  }
  void TearDown() override {
    dlg.DestroyWindow();
    ui::AppModule().RemoveMessageLoop();
  }
  void Command(int id, int code = 0) { SendMessageW(h, WM_COMMAND, MAKEWPARAM(id, code), 0); }
  HMENU Tray() const { return dlg.TrayIcon().PopupMenu(); }
  bool Checked() const { return IsDlgButtonChecked(h, IDC_ENABLE) == BST_CHECKED; }

  ui::CMessageLoop loop;
  CMainDlg dlg;
  HWND h = nullptr;
};

TEST_F(MainDlg, SettingsWindowAndMenusAreLocalized) {
  EXPECT_FALSE(IsWindowVisible(h));  // created hidden
  wchar_t caption[64] = {};
  GetWindowTextW(h, caption, 64);
  EXPECT_STREQ(L"QV Settings", caption);
  EXPECT_EQ(L"Activation", ItemText(h, IDC_SEQUENCE_LABEL));
  EXPECT_EQ(L"Activer QV", ItemText(h, IDC_ENABLE_LABEL));
  EXPECT_EQ(L"Annuler", ItemText(h, IDCANCEL));
  EXPECT_EQ(L"Quitter", ItemText(h, IDC_EXIT));
  EXPECT_TRUE(Checked());
  EXPECT_EQ(L"20", ItemText(h, IDC_DELAY));
  EXPECT_EQ(L"Garder l'historique des recherches", ItemText(h, IDC_HISTORY));

  HMENU bar = GetMenu(h);
  ASSERT_EQ(4, GetMenuItemCount(bar));
  EXPECT_EQ(L"Prononciation", MenuText(bar, 0));
  EXPECT_EQ(L"Guide de prononciation", MenuText(GetSubMenu(bar, 0), 0));
  EXPECT_EQ(UINT(ID_PRONOUNCE_GUIDE), GetMenuItemID(GetSubMenu(bar, 0), 0));
  EXPECT_EQ(L"Aide", MenuText(bar, 1));
  EXPECT_EQ(L"Didacticiel", MenuText(GetSubMenu(bar, 1), 1));
  EXPECT_EQ(UINT(ID_WEB_TUTORIAL), GetMenuItemID(GetSubMenu(bar, 1), 1));
  EXPECT_EQ(L"À propos", MenuText(bar, 2));
  EXPECT_EQ(UINT(ID_ABOUT), GetMenuItemID(bar, 2));
  EXPECT_EQ(L"Rechercher un mot...", MenuText(bar, 3));
  EXPECT_EQ(UINT(ID_LOOKUP_WINDOW), GetMenuItemID(bar, 3));

  ASSERT_EQ(5, GetMenuItemCount(Tray()));
  EXPECT_EQ(L"&Quitter", MenuText(Tray(), 0));
  EXPECT_EQ(L"Aide", MenuText(Tray(), 1));
  EXPECT_EQ(L"Rechercher un mot...", MenuText(Tray(), 2));
  EXPECT_EQ(UINT(ID_LOOKUP_WINDOW), GetMenuItemID(Tray(), 2));
  EXPECT_EQ(L"&Paramètres...", MenuText(Tray(), 3));
  EXPECT_EQ(L"Désactiver", MenuText(Tray(), 4));
  EXPECT_EQ(3u, GetMenuDefaultItem(Tray(), TRUE, 0));
}

TEST_F(MainDlg, TheSwitchKeepsCheckBoxTrayItemAndFlagInStep) {
  Command(ID_TRAY_TOGGLE);
  EXPECT_FALSE(dlg.Enabled());
  EXPECT_FALSE(Checked());
  EXPECT_EQ(L"Activer", MenuText(Tray(), 4));
  EXPECT_EQ(UINT(ID_TRAY_TOGGLE), GetMenuItemID(Tray(), 4));
  Command(ID_TRAY_TOGGLE);
  EXPECT_TRUE(dlg.Enabled());
  EXPECT_TRUE(Checked());
  EXPECT_EQ(L"Désactiver", MenuText(Tray(), 4));

  SendDlgItemMessageW(h, IDC_ENABLE, BM_CLICK, 0, 0);
  EXPECT_FALSE(dlg.Enabled());
  EXPECT_EQ(L"Activer", MenuText(Tray(), 4));
  SendDlgItemMessageW(h, IDC_ENABLE, BM_CLICK, 0, 0);
  EXPECT_TRUE(dlg.Enabled());

  NMHDR nm{nullptr, 0, static_cast<UINT>(NM_CLICK)};
  SendMessageW(h, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));  // not the link: ignored
  EXPECT_TRUE(dlg.Enabled());
  nm.code = TTN_LINKCLICK;
  SendMessageW(h, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
  EXPECT_FALSE(dlg.Enabled());
  EXPECT_FALSE(Checked());
  EXPECT_EQ(L"Activer", MenuText(Tray(), 4));
}

TEST_F(MainDlg, SequencesSetTheActivationAndOkTakesTheDelay) {
  EXPECT_EQ(kHover, dlg.Activation().CurrentTrigger());  // the start state: hover with Ctrl
  EXPECT_EQ(0, dlg.Activation().CurrentHotKey());
  SendDlgItemMessageW(h, IDC_SEQUENCE, CB_SETCURSEL, 1, 0);
  Command(IDC_SEQUENCE, CBN_SELCHANGE);
  Command(IDCANCEL);  // nothing is undone
  EXPECT_EQ(2, dlg.Activation().CurrentHotKey());  // F8
  EXPECT_EQ(kHover, dlg.Activation().CurrentTrigger());

  // Another program's choice: a sequence without a list entry leaves the list as it is, one
  // with an entry shows there, and a number outside the table is refused.
  const UINT choose = RegisterWindowMessageW(CMainDlg::kSequenceMessageName);
  EXPECT_EQ(TRUE, SendMessageW(h, choose, 4, 0));  // left click with Alt
  EXPECT_EQ(kLeftClick, dlg.Activation().CurrentTrigger());
  EXPECT_EQ(5, dlg.Activation().CurrentHotKey());
  EXPECT_EQ(1, SendDlgItemMessageW(h, IDC_SEQUENCE, CB_GETCURSEL, 0, 0));
  EXPECT_EQ(FALSE, SendMessageW(h, choose, 6, 0));
  EXPECT_EQ(kLeftClick, dlg.Activation().CurrentTrigger());
  EXPECT_EQ(TRUE, SendMessageW(h, choose, 3, 0));  // hover with Alt
  EXPECT_EQ(kHover, dlg.Activation().CurrentTrigger());
  EXPECT_EQ(3, SendDlgItemMessageW(h, IDC_SEQUENCE, CB_GETCURSEL, 0, 0));

  Command(ID_TRAY_SETTINGS);
  EXPECT_TRUE(IsWindowVisible(h));
  SetDlgItemTextW(h, IDC_DELAY, L"350");
  Command(IDOK);
  EXPECT_FALSE(IsWindowVisible(h));
  EXPECT_EQ(350, dlg.HoverDelay());
  SetDlgItemTextW(h, IDC_DELAY, L"");
  Command(IDOK);
  EXPECT_EQ(0, dlg.HoverDelay());
}

TEST_F(MainDlg, TrayIconRecordAndTaskbarRestart) {
  const CTrayIcon& tray = dlg.TrayIcon();
  ASSERT_TRUE(tray.IsCreated());
  EXPECT_EQ(DWORD(sizeof(NOTIFYICONDATAW)), tray.NotifyData().cbSize);
  EXPECT_STREQ(L"Dictionnaire QV de Brantel", tray.NotifyData().szTip);
  EXPECT_EQ(DWORD(NIIF_USER | NIIF_NOSOUND), tray.NotifyData().dwInfoFlags);

  // The shell tells every top-level window that its taskbar came back.
  SendMessageW(tray.m_hwnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(tray.IsCreated());
  EXPECT_EQ(UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP), tray.NotifyData().uFlags);  // no balloon

  CTrayIcon other;
  const std::wstring tip(200, L'x');
  CTrayIcon::Options options;
  options.notifyWindow = h;
  options.id = 203;
  options.callbackMessage = CMainDlg::kTrayCallback;
  options.icon = LoadProgramIcon(IDI_QV_TRAY, true);
  options.tooltip = tip;
  options.menuId = IDR_TRAYMENU;
  ASSERT_TRUE(other.Create(options));
  EXPECT_EQ(127u, wcslen(other.NotifyData().szTip));
  EXPECT_FALSE(other.OnTrayNotification(202, WM_LBUTTONUP));  // another icon's notification
}

}  // namespace
}  // namespace qv
