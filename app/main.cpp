// QV's process entry.
#include <windows.h>

#include "app/startup.h"

// The runtime hands over the command line after the program's name and the blanks that follow
// it, and the show command of the process's start-up information (else SW_SHOWDEFAULT).
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR tail, int show) {
  return qv::startup::ProcessEntry(tail ? tail : L"", show);
}
