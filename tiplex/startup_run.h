// The start-up run over the program's main dialog (a CDialogImpl created modeless).
#pragma once

#include <windows.h>

#include <string_view>

#include "lexicon/settings.h"
#include "tiplex/shell_commands.h"
#include "tiplex/splashdlg.h"
#include "tiplex/startup.h"
#include "tiplex/ui/message_loop.h"

namespace qv::startup {

template <class MainDlg>
int RunWith(std::wstring_view tail, int show) {
  ui::CMessageLoop loop;
  ui::AppModule().AddMessageLoop(&loop);

  // The first run opens the tutorial, but only once the flag is really consumed: a flag that
  // cannot be rewritten would otherwise open it at every start.
  const FirstRunResult first = ConsumeFirstRunFlag();
  if (first.firstRun && first.flagWritten) shell::OpenAddress(shell::FirstRunTutorialAddress());
  const StartMode mode = DecideStartMode(first.firstRun, tail);

  if (mode != StartMode::Quiet) {
    CSplashDlg splash;
    splash.DoModal(GetActiveWindow());
  }

  SyncLexiconHome();

  int result = 0;
  {
    MainDlg dlg;
    if (!dlg.Create(nullptr)) {
      OutputDebugStringW(L"Main dialog creation failed!\n");
      ui::AppModule().RemoveMessageLoop();
      return 0;
    }
    ShowWindow(dlg.m_hWnd, mode == StartMode::Normal ? show : SW_HIDE);
    result = loop.Run();
    ui::AppModule().RemoveMessageLoop();
  }  // the main dialog goes (and with it the tray icon) before the module and COM
  return result;
}

}  // namespace qv::startup
