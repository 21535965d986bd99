// QV's process entry: COM in the single-threaded apartment, the common controls, the module and
// the message loop, the main dialog, and the loop until WM_QUIT.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "lexicon/settings.h"
#include "tiplex/maindlg.h"
#include "tiplex/ui/message_loop.h"

namespace {

int Run(int nCmdShow) {
  qv::ui::CMessageLoop theLoop;
  qv::ui::AppModule().AddMessageLoop(&theLoop);
  int result = 0;
  qv::SyncLexiconHome();
  {
    qv::CMainDlg dlgMain;
    if (!dlgMain.Create(nullptr)) {
      OutputDebugStringW(L"Main dialog creation failed!\n");
      qv::ui::AppModule().RemoveMessageLoop();
      return 0;
    }
    ShowWindow(dlgMain.m_hWnd, nCmdShow);
    result = theLoop.Run();
    qv::ui::AppModule().RemoveMessageLoop();
  }
  return result;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int nCmdShow) {
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  qv::ui::AppModule().Init(hInstance);
  const int result = Run(nCmdShow);
  qv::ui::AppModule().Term();
  CoUninitialize();
  return result;
}
