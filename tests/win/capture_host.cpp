// capture_host.exe TITLE — shows the capture test window in a process of its own until the
// window is closed.
#include <windows.h>

#include "tests/win/capture_host_window.h"

int wmain(int argc, wchar_t** argv) {
  HWND host = qv::test::CreateHostWindow(argc > 1 ? argv[1] : L"QV capture host", 40, 380);
  if (!host) return 1;
  SetPropW(host, L"QvQuitOnDestroy", reinterpret_cast<HANDLE>(1));
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  RemovePropW(host, L"QvQuitOnDestroy");
  return 0;
}
