#include "app/main_dlg.h"

#include <commctrl.h>

#include <cstdlib>
#include <ctime>
#include <iterator>

#include "core/lookup/lookup_config.h"
#include "core/dictionary/text_bundle.h"
#include "platform/trace.h"
#include "app/about_dlg.h"
#include "app/localize.h"
#include "app/mouse_hook.h"
#include "app/open_address.h"
#include "app/program_icon.h"
#include "app/pronounce_help.h"
#include "app/single_instance.h"
#include "app/ui/center_window.h"

namespace qv {
namespace {

// The tray icon is tried again while the shell is not ready for it (at log-on it may come up
// after QV): after these waits, a minute in all, the program gives up.
constexpr UINT_PTR kTrayRetryTimerId = 124;
constexpr UINT kTrayRetryDelaysMs[] = {1000, 2000, 4000, 8000, 15000, 30000};
// How long the capture notice stays over the tray icon.
constexpr UINT kNoticeMs = 20000;
constexpr wchar_t kCaptureNotice[] = L"Text capture unavailable";

}  // namespace

CMainDlg::CMainDlg()
    : m_history(UserHistoryPath(), [this](CHistory::Trouble trouble) {
        if (HWND wnd = m_historyTroubleWnd.load())
          PostMessageW(wnd, kHistoryTroubleMessage, static_cast<WPARAM>(trouble), 0);
      }) {
  m_lookup.UseCache(&m_composeCache);
}

// Release the capture engine, destroy the popup, then the tray icon (its own destruction
// removes the icon).
CMainDlg::~CMainDlg() {
  if (m_warmUp.joinable()) m_warmUp.join();
  m_capture.ReleaseEngine();
  m_tooltip.Destroy();
  if (m_hwnd) DestroyWindow();
}

std::span<const ui::MsgEntry<CMainDlg>> CMainDlg::MessageTable() {
  using E = ui::MsgEntry<CMainDlg>;
  using ui::OnCommand;
  using ui::OnMessage;
  static const E table[] = {
      OnMessage<CMainDlg>(WM_INITDIALOG, &CMainDlg::OnInitDialog),
      OnMessage<CMainDlg>(MouseHook::Instance().Message(), &CMainDlg::OnMouseHookMsg),
      OnMessage<CMainDlg>(kTrayCallback, &CMainDlg::OnTrayNotification),
      OnMessage<CMainDlg>(WM_DESTROY, &CMainDlg::OnDestroy),
      OnMessage<CMainDlg>(WM_NOTIFY, &CMainDlg::OnPopupLinkClick),
      OnMessage<CMainDlg>(WM_TIMER, &CMainDlg::OnHoverTimer),
      OnMessage<CMainDlg>(kCaptureFailedMessage, &CMainDlg::OnCaptureFailed),
      OnMessage<CMainDlg>(kHistoryTroubleMessage, &CMainDlg::OnHistoryTrouble),
      OnCommand<CMainDlg>(ID_TRAY_TOGGLE, &CMainDlg::OnToggleEnabled),
      OnCommand<CMainDlg>(ID_TRAY_EXIT, &CMainDlg::OnExit),
      OnCommand<CMainDlg>(IDOK, &CMainDlg::OnOK),
      OnCommand<CMainDlg>(IDC_EXIT, &CMainDlg::OnExit),
      OnCommand<CMainDlg>(IDCANCEL, &CMainDlg::OnCancel),
      OnCommand<CMainDlg>(ID_TRAY_SETTINGS, &CMainDlg::OnShowSettings),
      OnCommand<CMainDlg>(IDC_SEQUENCE, CBN_SELCHANGE, &CMainDlg::OnActivationSequenceChanged),
      OnMessage<CMainDlg>(RegisterWindowMessageW(kSequenceMessageName),
                          &CMainDlg::OnSequenceMessage),
      OnCommand<CMainDlg>(IDC_ENABLE, BN_CLICKED, &CMainDlg::OnEnableClicked),
      OnCommand<CMainDlg>(ID_WEB_TUTORIAL, 0, &CMainDlg::OnWebTutorial),
      OnCommand<CMainDlg>(ID_PRONOUNCE_GUIDE, 0, &CMainDlg::OnPronounceGuide),
      OnCommand<CMainDlg>(ID_ABOUT, 0, &CMainDlg::OnAbout),
      // The tray menu's "Help": the tutorial page that ships with the program.
      OnCommand<CMainDlg>(ID_TRAY_HELP, &CMainDlg::OnWebTutorial),
      // The look-up window: tray menu, menu bar, and "QV.exe /lookup WORD" started again.
      OnCommand<CMainDlg>(ID_LOOKUP_WINDOW, &CMainDlg::OnOpenLookup),
      OnMessage<CMainDlg>(WM_COPYDATA, &CMainDlg::OnCopyData),
      OnCommand<CMainDlg>(IDC_HISTORY, BN_CLICKED, &CMainDlg::OnHistoryClicked),
  };
  return table;
}

BOOL CMainDlg::PreTranslateMessage(MSG* pMsg) { return IsDialogMessageW(m_hwnd, pMsg); }

LRESULT CMainDlg::OnInitDialog(UINT, WPARAM, LPARAM) {
  m_historyTroubleWnd = m_hwnd;
  m_history.SetEnabled(CLookupWindow::HistoryEnabled());
  m_history.Load();
  ui::CenterWindow(m_hwnd);
  SetWindowIcons(m_hwnd);

  if (ui::CMessageLoop* loop = ui::AppModule().GetMessageLoop()) {
    loop->AddMessageFilter(this);
  }

  m_trayImage = LoadProgramIcon(IDI_QV_TRAY, true);
  // Without its icon QV works on while the icon is tried again; it ends if the icon never comes.
  if (!AddTrayIcon()) SetTimer(m_hwnd, kTrayRetryTimerId, kTrayRetryDelaysMs[0], nullptr);
  MouseHook::Instance().Install(m_hwnd);
  InitSettingsControls();
  m_activation.ApplyTrigger();
  CreateCaptureEngine();
  StartWarmUp();
  return 0;
}

void CMainDlg::StartWarmUp() {
  try {
    // The thread reads its own copy of the configuration: the registry stays this thread's.
    m_warmUp = std::thread([config = CurrentLookupConfig()]() noexcept {
      try {
        WarmUpLookupData(config);
      } catch (...) {
        platform::TraceFailure(L"warming the look-up data");
      }
    });
  } catch (...) {
    // No thread: the first look-up fills the caches itself.
    platform::TraceFailure(L"starting the warm-up");
  }
}

bool CMainDlg::AddTrayIcon() {
  const std::wstring tip = CTextBundle(kMainSection).GetText(L"Brantel QV Dictionary");
  CTrayIcon::Options options;
  options.notifyWindow = m_hwnd;
  options.id = kTrayIconId;
  options.callbackMessage = kTrayCallback;
  options.icon = m_trayImage;
  options.tooltip = tip;
  options.defaultItem = TRAY_POS_SETTINGS;
  // The name shows once in a balloon as the icon comes, without a sound.
  options.balloonText = tip;
  options.balloonTimeoutMs = 10;
  options.balloonStyle = CTrayIcon::BalloonStyle::User;
  options.balloonSilent = true;
  return m_trayIcon.Create(options);
}

void CMainDlg::RetryTrayIcon() {
  KillTimer(m_hwnd, kTrayRetryTimerId);
  ++m_trayAttempts;
  if (AddTrayIcon()) {
    if (m_pendingNotice) ShowNotice(m_pendingNotice);
    return;
  }
  if (m_trayAttempts < std::size(kTrayRetryDelaysMs)) {
    SetTimer(m_hwnd, kTrayRetryTimerId, kTrayRetryDelaysMs[m_trayAttempts], nullptr);
    return;
  }
  // A QV without its icon could not be reached or ended by the user: it says so and ends.
  CTextBundle localizer(kMainSection);
  MessageBoxW(m_hwnd, localizer.GetText(L"Failed to create Brantel QV Dictionary tray icon").c_str(),
              localizer.GetText(L"Brantel QV Dictionary").c_str(), MB_ICONHAND);
  Quit(1);
}

void CMainDlg::CreateCaptureEngine() {
  if (FAILED(m_capture.CreateEngine())) CaptureUnavailable();
}

void CMainDlg::SwitchLookups(bool enable, bool fromCheckBox) {
  if (enable && FAILED(m_capture.CreateEngine())) {
    if (fromCheckBox) SetEnableCheck(false);
    ShowNotice(kCaptureNotice);
    return;
  }
  m_activation.SetEnabled(enable, fromCheckBox);
}

void CMainDlg::CaptureUnavailable() {
  if (!m_activation.Enabled()) return;  // already told; look-ups stay off until switched on
  ClosePopup();
  m_activation.SetEnabled(false);
  ShowNotice(kCaptureNotice);
}

void CMainDlg::ShowNotice(const wchar_t* key) {
  m_pendingNotice = m_trayIcon.IsCreated() ? nullptr : key;
  if (m_pendingNotice) return;
  CTextBundle localizer(kMainSection);
  m_trayIcon.ShowBalloon(localizer.GetText(key).c_str(),
                         localizer.GetText(L"Brantel QV Dictionary").c_str(),
                         CTrayIcon::BalloonStyle::Warning, kNoticeMs);
}

void CMainDlg::Quit(int code) {
  DestroyWindow();
  PostQuitMessage(code);
}

LRESULT CMainDlg::OnHistoryTrouble(UINT, WPARAM wp, LPARAM) {
  ShowNotice(static_cast<CHistory::Trouble>(wp) == CHistory::Trouble::Unreadable
                 ? L"History unreadable"
                 : L"History not saved");
  return 0;
}

LRESULT CMainDlg::OnCaptureFailed(UINT, WPARAM, LPARAM) {
  CaptureUnavailable();
  return 0;
}

void CMainDlg::InitSettingsControls() {
  // The list's first entry is the activation's start state, hover with Ctrl.
  HWND sequences = GetDlgItem(IDC_SEQUENCE);
  CTextBundle localizer(kMainSection);
  for (const wchar_t* key : kSequenceKeys) {
    const std::wstring text = localizer.GetText(key);
    SendMessageW(sequences, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  SendMessageW(sequences, CB_SETCURSEL, 0, 0);
  CheckDlgButton(m_hwnd, IDC_ENABLE, BST_CHECKED);
  CheckDlgButton(m_hwnd, IDC_HISTORY, m_lookupWindow.HistoryEnabled() ? BST_CHECKED : BST_UNCHECKED);
  m_activation.Start();
  m_activation.SetHoverDelay(kStartHoverDelay);
  SetDlgItemTextW(m_hwnd, IDC_DELAY, std::to_wstring(kStartHoverDelay).c_str());
  AttachLocalizedMenu();
  LocalizeWindow(m_hwnd, kMainSection, {IDC_HOTKEY_GROUP, IDC_SEQUENCE_LABEL, IDC_ENABLE_LABEL, IDOK,
                                        IDCANCEL, IDC_EXIT, IDC_HISTORY});
}

void CMainDlg::AttachLocalizedMenu() {
  HMENU menu = LoadMenuW(ui::ResourceInstance(), MAKEINTRESOURCEW(IDR_MAINMENU));
  if (!menu) return;
  SetMenu(m_hwnd, menu);  // destroyed with the window
  LocalizeMenu(menu);
  DrawMenuBar(m_hwnd);
}

void CMainDlg::LookupUnderCursor() {
  if (m_inLookup) return;
  m_inLookup = true;
  try {
    if (std::optional<LookupResult> result = m_lookup.LookupUnderCursor())
      if (m_popupRecorder.Record(*result, static_cast<std::int64_t>(std::time(nullptr))))
        m_lookupWindow.HistoryChanged();
  } catch (...) {
    // Out of memory in the middle of a look-up: this one shows nothing.
    platform::TraceFailure(L"looking up the word under the pointer");
  }
  m_inLookup = false;
}

LRESULT CMainDlg::OnMouseHookMsg(UINT, WPARAM wp, LPARAM) {
  m_activation.OnMouseHookMsg(static_cast<unsigned>(wp));
  return 1;
}

LRESULT CMainDlg::OnTrayNotification(UINT, WPARAM wp, LPARAM lp) {
  m_trayIcon.OnTrayNotification(wp, lp);
  return 0;
}

LRESULT CMainDlg::OnDestroy(UINT, WPARAM, LPARAM) {
  RemovePropW(m_hwnd, startup::kReadyProperty);  // set by the start-up
  if (ui::CMessageLoop* loop = ui::AppModule().GetMessageLoop()) {
    loop->RemoveMessageFilter(this);
  }
  m_trayIcon.DestroyWindow();
  return 0;
}

LRESULT CMainDlg::OnPopupLinkClick(UINT, WPARAM, LPARAM lp) {
  const auto* nm = reinterpret_cast<const NMHDR*>(lp);
  if (nm && nm->code == TTN_LINKCLICK) m_activation.OnPopupLinkClick();
  return 0;
}

LRESULT CMainDlg::OnHoverTimer(UINT, WPARAM wp, LPARAM) {
  if (wp == kTrayRetryTimerId) {
    RetryTrayIcon();
    return 0;
  }
  m_activation.OnHoverTimer(wp);
  return 1;
}

LRESULT CMainDlg::OnToggleEnabled(UINT, WPARAM, LPARAM) {
  SwitchLookups(!m_activation.Enabled(), false);
  return 0;
}

LRESULT CMainDlg::OnOK(UINT, WPARAM, LPARAM) {
  wchar_t text[64] = {};
  GetDlgItemTextW(m_hwnd, IDC_DELAY, text, static_cast<int>(std::size(text)));
  // The leading decimal digits; none gives 0.
  m_activation.SetHoverDelay(static_cast<int>(std::wcstol(text, nullptr, 10)));
  ShowWindow(m_hwnd, SW_HIDE);
  return 0;
}

// The tray's Exit and the settings window's Quit: an orderly end through the loop, so that the
// capture engine is released and COM shut down before the process ends.
LRESULT CMainDlg::OnExit(UINT, WPARAM, LPARAM) {
  Quit(0);
  return 0;
}

LRESULT CMainDlg::OnCancel(UINT, WPARAM, LPARAM) {
  ShowWindow(m_hwnd, SW_HIDE);
  return 0;
}

LRESULT CMainDlg::OnShowSettings(UINT, WPARAM, LPARAM) {
  ShowWindow(m_hwnd, SW_SHOWNORMAL);
  return 0;
}

LRESULT CMainDlg::OnActivationSequenceChanged(UINT, WPARAM, LPARAM) {
  m_activation.OnActivationSequenceChanged(
      static_cast<int>(SendDlgItemMessageW(m_hwnd, IDC_SEQUENCE, CB_GETCURSEL, 0, 0)));
  return 0;
}

// A sequence with a list entry shows there as if the user had chosen it; the others leave the
// list as it is. A number outside the table changes nothing.
LRESULT CMainDlg::OnSequenceMessage(UINT msg, WPARAM wp, LPARAM) {
  // WM_NULL stands here only when the message could not be registered.
  if (msg == WM_NULL || wp >= std::size(kSequences)) return FALSE;
  if (wp < std::size(kSequenceKeys)) SendDlgItemMessageW(m_hwnd, IDC_SEQUENCE, CB_SETCURSEL, wp, 0);
  m_activation.OnActivationSequenceChanged(static_cast<int>(wp));
  return TRUE;
}

LRESULT CMainDlg::OnEnableClicked(UINT, WPARAM, LPARAM) {
  SwitchLookups(IsDlgButtonChecked(m_hwnd, IDC_ENABLE) == BST_CHECKED, true);
  return 0;
}

LRESULT CMainDlg::OnWebTutorial(UINT, WPARAM, LPARAM) {
  OpenTutorial();
  return 0;
}

LRESULT CMainDlg::OnPronounceGuide(UINT, WPARAM, LPARAM) {
  ShowPronounceHelp(GetActiveWindow());
  return 0;
}

LRESULT CMainDlg::OnAbout(UINT, WPARAM, LPARAM) {
  ShowAbout(GetActiveWindow());
  return 0;
}

LRESULT CMainDlg::OnOpenLookup(UINT, WPARAM, LPARAM) {
  m_lookupWindow.Open(L"");
  return 0;
}

// Another process's data: only a look-up request of the right shape is taken.
LRESULT CMainDlg::OnCopyData(UINT, WPARAM, LPARAM lp) {
  return m_lookupWindow.OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lp)) ? TRUE : FALSE;
}

LRESULT CMainDlg::OnHistoryClicked(UINT, WPARAM, LPARAM) {
  m_lookupWindow.SetHistoryEnabled(IsDlgButtonChecked(m_hwnd, IDC_HISTORY) == BST_CHECKED);
  return 0;
}

// What the activation decisions ask of the dialog.

bool CMainDlg::KeyDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

std::pair<int, int> CMainDlg::CursorPosition() {
  POINT pt{};
  GetCursorPos(&pt);
  return {pt.x, pt.y};
}

bool CMainDlg::CursorOverPopup() {
  POINT pt;
  GetCursorPos(&pt);
  return m_tooltip.hwnd() && WindowFromPoint(pt) == m_tooltip.hwnd();
}

void CMainDlg::ClosePopup() { m_tooltip.Destroy(); }

void CMainDlg::SetHoverTimer(int delayMs) {
  SetTimer(m_hwnd, kHoverTimerId, static_cast<UINT>(delayMs), nullptr);
}

void CMainDlg::KillHoverTimer() { KillTimer(m_hwnd, kHoverTimerId); }

void CMainDlg::EnableDelayField(bool enable) { EnableWindow(GetDlgItem(IDC_DELAY), enable); }

void CMainDlg::SetEnableCheck(bool checked) {
  CheckDlgButton(m_hwnd, IDC_ENABLE, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CMainDlg::SetToggleItemText(const std::wstring& text) {
  m_trayIcon.SetMenuItemText(TRAY_POS_TOGGLE, text.c_str());
}

std::wstring CMainDlg::GetText(std::wstring_view key) { return m_captions.GetText(key); }

}  // namespace qv
