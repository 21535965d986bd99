// The hub of the running program. Its window is the settings window (dialog 129), created
// modeless and usually hidden; it owns the tray icon, the translation popup, the capture engine
// and the history of look-ups, receives the mouse hook's messages and the hover timer, and
// handles every command of the tray menu and of its own menu bar.
#pragma once

#include <windows.h>

#include <atomic>
#include <span>
#include <string>
#include <thread>

#include "core/activation.h"
#include "core/history/history.h"
#include "core/history/popup_recorder.h"
#include "core/lookup/lookup.h"
#include "core/lookup/lookup_services.h"
#include "resources/maindlg_res.h"
#include "app/lookup_adapters.h"
#include "app/lookup_window.h"
#include "app/tooltip.h"
#include "app/tray/tray_icon.h"
#include "app/ui/message_loop.h"
#include "app/ui/window.h"

namespace qv {

class CMainDlg : public ui::CDialogImpl<CMainDlg>,
                 public ui::CMessageFilter,
                 private IActivationHost {
 public:
  static constexpr int IDD = IDD_MAINDLG;
  static constexpr UINT kTrayCallback = WM_USER + 201;  // 1225
  static constexpr UINT kTrayIconId = IDR_TRAYMENU;
  // Posted when the history file cannot be read or written (wParam: the CHistory::Trouble), at
  // most once in the program's run.
  static constexpr UINT kHistoryTroubleMessage = WM_APP + 22;
  // A registered message by which another program on the desktop (an accessibility tool, the
  // end-to-end test) chooses an activation sequence: its number in wParam, one of those without
  // a list entry too. It returns TRUE when the sequence was taken.
  static constexpr const wchar_t* kSequenceMessageName = L"QvActivationSequence";

  CMainDlg();
  ~CMainDlg() override;

  BOOL PreTranslateMessage(MSG* pMsg) override;

  // One look-up of the text under the pointer, shown in the popup and recorded in the history.
  void LookupUnderCursor() override;

  std::span<const ui::MsgEntry<CMainDlg>> MessageTable();

  bool Enabled() const { return m_activation.Enabled(); }
  int HoverDelay() const { return m_activation.HoverDelay(); }
  const CActivation& Activation() const { return m_activation; }
  const CTooltip& Popup() const { return m_tooltip; }
  const CTrayIcon& TrayIcon() const { return m_trayIcon; }
  // The look-up window, opened with the word looked up when it is not empty.
  void OpenLookup(const std::wstring& word) { m_lookupWindow.Open(word); }

 private:
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM);
  LRESULT OnMouseHookMsg(UINT, WPARAM, LPARAM);
  LRESULT OnTrayNotification(UINT, WPARAM, LPARAM);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM);
  LRESULT OnPopupLinkClick(UINT, WPARAM, LPARAM);
  LRESULT OnHoverTimer(UINT, WPARAM, LPARAM);
  LRESULT OnToggleEnabled(UINT, WPARAM, LPARAM);
  LRESULT OnOK(UINT, WPARAM, LPARAM);
  LRESULT OnExit(UINT, WPARAM, LPARAM);
  LRESULT OnCancel(UINT, WPARAM, LPARAM);
  LRESULT OnShowSettings(UINT, WPARAM, LPARAM);
  LRESULT OnActivationSequenceChanged(UINT, WPARAM, LPARAM);
  LRESULT OnSequenceMessage(UINT, WPARAM, LPARAM);
  LRESULT OnEnableClicked(UINT, WPARAM, LPARAM);
  LRESULT OnWebTutorial(UINT, WPARAM, LPARAM);
  LRESULT OnPronounceGuide(UINT, WPARAM, LPARAM);
  LRESULT OnAbout(UINT, WPARAM, LPARAM);
  LRESULT OnCaptureFailed(UINT, WPARAM, LPARAM);
  LRESULT OnHistoryTrouble(UINT, WPARAM, LPARAM);
  LRESULT OnOpenLookup(UINT, WPARAM, LPARAM);
  LRESULT OnCopyData(UINT, WPARAM, LPARAM);
  LRESULT OnHistoryClicked(UINT, WPARAM, LPARAM);

  void InitSettingsControls();
  void AttachLocalizedMenu();
  void CreateCaptureEngine();
  void StartWarmUp();
  bool AddTrayIcon();
  void RetryTrayIcon();
  // Look-ups switched on or off by the user; switching on tries the capture component again.
  void SwitchLookups(bool enable, bool fromCheckBox);
  // The capture component is missing or failing: look-ups go off and the user is told once.
  void CaptureUnavailable();
  // A warning in the tray balloon, by its text's key; it waits for the icon when the icon is
  // not there yet.
  void ShowNotice(const wchar_t* key);
  // Ends the program through its message loop, which hands `code` to the process's exit.
  void Quit(int code);

  // What the activation decisions ask of the dialog.
  bool KeyDown(int virtualKey) override;
  std::pair<int, int> CursorPosition() override;
  bool CursorOverPopup() override;
  void ClosePopup() override;
  void SetHoverTimer(int delayMs) override;
  void KillHoverTimer() override;
  void EnableDelayField(bool enable) override;
  void SetEnableCheck(bool checked) override;
  void SetToggleItemText(const std::wstring& text) override;
  std::wstring GetText(std::wstring_view key) override;

  CTrayIcon m_trayIcon;
  HICON m_trayImage = nullptr;  // shared: not destroyed
  CTooltip m_tooltip;
  CActivation m_activation{*this};

  // The look-up's services and the request itself.
  CComTextCapture m_capture;
  CDialogMessages m_messages{m_hwnd};
  CTooltipPopup m_popup{m_tooltip, m_hwnd};
  CStoreDictionary m_dictionary;
  CBundleCaptions m_captions;
  CWordNetAnalysis m_lexical;
  CComposeCache m_composeCache{&LookupDataGeneration};
  CLookup m_lookup{{m_capture, m_messages, m_popup, m_dictionary, m_captions, m_lexical}};
  // The history, read when the window is created. Its trouble is told from its writing thread
  // too, to this window.
  std::atomic<HWND> m_historyTroubleWnd{nullptr};
  CHistory m_history;
  CPopupRecorder m_popupRecorder{m_history};
  // The look-up window composes with the same request and shows the same history.
  CLookupWindow m_lookupWindow{m_lookup, m_history};
  // A look-up in progress does not start another one from a loop that it runs.
  bool m_inLookup = false;
  // The tray icon's attempts so far, while the shell is not ready to take it.
  size_t m_trayAttempts = 0;
  // The notice that waits for the tray icon (the capture component failed before it was there).
  const wchar_t* m_pendingNotice = nullptr;
  // Fills the data cache and opens WordNet right after the start, so that the first popup is
  // not the slow one; joined before the window's owner goes.
  std::thread m_warmUp;
};

}  // namespace qv
