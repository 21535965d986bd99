// QV's process entry: one instance per session, then the start-up run over the main dialog.
#include <windows.h>

#include "tiplex/maindlg.h"
#include "tiplex/startup.h"
#include "tiplex/startup_run.h"

int qv::startup::Run(std::wstring_view tail, int show) { return RunWith<CMainDlg>(tail, show); }

// The runtime hands over the command line after the program's name and the blanks that follow
// it, and the show command of the process's start-up information (else SW_SHOWDEFAULT).
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR tail, int show) {
  return qv::startup::ProcessEntry(instance, tail ? tail : L"", show);
}
