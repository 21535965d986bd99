// capture_host.exe TITLE [--big | --slow] — shows the capture test window in a process of its
// own until the window is closed; with --big, a window of its own holds a multi-line EDIT
// control of kBigEditChars characters (kBigEditClass, titled TITLE); with --slow, the
// single-line EDIT answers every question about its text kSlowEditMs late.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "tests/win/capture_host_window.h"

namespace {

LRESULT CALLBACK SlowEdit(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if ((msg >= EM_GETSEL && msg <= EM_GETIMESTATUS) || msg == WM_GETTEXT ||
      msg == WM_GETTEXTLENGTH || msg == WM_GETFONT)
    Sleep(qv::test::kSlowEditMs);
  return DefSubclassProc(h, msg, wp, lp);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const wchar_t* title = argc > 1 ? argv[1] : L"QV capture host";
  const bool big = argc > 2 && std::wstring(argv[2]) == L"--big";
  HWND host = big ? qv::test::CreateBigEditWindow(title) : qv::test::CreateHostWindow(title, 40, 380);
  if (!host) return 1;
  if (argc > 2 && std::wstring(argv[2]) == L"--slow")
    SetWindowSubclass(GetDlgItem(host, qv::test::kEdit), SlowEdit, 1, 0);
  SetPropW(host, L"QvQuitOnDestroy", reinterpret_cast<HANDLE>(1));
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  RemovePropW(host, L"QvQuitOnDestroy");
  return 0;
}
