#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>

#include "core/lookup/lookup_command.h"
#include "core/settings.h"
#include "app/main_dlg.h"
#include "app/open_address.h"
#include "app/single_instance.h"
#include "app/splash_dlg.h"
#include "app/ui/message_loop.h"

namespace qv::startup {

StartMode DecideStartMode(bool firstRun, std::wstring_view tail) {
  // "/lookup WORD" opens the look-up window, and only that.
  if (tail == L"1" || ParseLookupCommand(tail)) return StartMode::Quiet;
  return firstRun ? StartMode::FirstRun : StartMode::Normal;
}

int Run(std::wstring_view tail, int show) {
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
    ShowWindow(dlg.m_hwnd, mode == StartMode::Normal ? show : SW_HIDE);
    SetPropW(dlg.m_hwnd, kReadyProperty, reinterpret_cast<HANDLE>(1));
    if (std::optional<std::wstring> word = ParseLookupCommand(tail)) dlg.OpenLookup(*word);
    result = loop.Run();
    ui::AppModule().RemoveMessageLoop();
  }  // the main dialog goes (and with it the tray icon) before COM
  return result;
}

int ProcessEntry(std::wstring_view tail, int show) {
  const std::optional<InstanceMarks> marks = ClaimFirstInstance();
  if (!marks) return ShowRunningInstance(tail);

  // Failures here are not acted upon: start-up goes on.
  const HRESULT com = CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);

  const int result = Run(tail, show);

  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

}  // namespace qv::startup
