// QV's process entry and start-up run: one instance per session, the first run, the splash,
// the main dialog and its message loop until the user exits.
#include <windows.h>

#include "core/lookup_window.h"
#include "core/settings.h"
#include "app/maindlg.h"
#include "app/open_address.h"
#include "app/splashdlg.h"
#include "app/startup.h"
#include "app/ui/message_loop.h"

int qv::startup::Run(std::wstring_view tail, int show) {
  ui::CMessageLoop loop;
  ui::AppModule().AddMessageLoop(&loop);

  // The first run opens the tutorial, but only once the flag is really consumed: a flag that
  // cannot be rewritten would otherwise open it at every start.
  const FirstRunResult first = ConsumeFirstRunFlag();
  if (first.firstRun && first.flagWritten) OpenAddress(FirstRunTutorialAddress());
  const StartMode mode = DecideStartMode(first.firstRun, tail);

  if (mode != StartMode::Quiet) {
    CSplashDlg splash;
    splash.DoModal(GetActiveWindow());
  }

  SyncLexiconHome();

  int result = 0;
  {
    CMainDlg dlg;
    if (!dlg.Create(nullptr)) {
      OutputDebugStringW(L"Main dialog creation failed!\n");
      ui::AppModule().RemoveMessageLoop();
      return 0;
    }
    ShowWindow(dlg.m_hWnd, mode == StartMode::Normal ? show : SW_HIDE);
    SetPropW(dlg.m_hWnd, kReadyProperty, reinterpret_cast<HANDLE>(1));
    if (std::optional<std::wstring> word = ParseLookupCommand(tail)) dlg.OpenLookUp(*word);
    result = loop.Run();
    ui::AppModule().RemoveMessageLoop();
  }  // the main dialog goes (and with it the tray icon) before COM
  return result;
}

// The runtime hands over the command line after the program's name and the blanks that follow
// it, and the show command of the process's start-up information (else SW_SHOWDEFAULT).
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR tail, int show) {
  return qv::startup::ProcessEntry(tail ? tail : L"", show);
}
