#include "tiplex/startup.h"

#include <commctrl.h>
#include <objbase.h>

#include "lexicon/lookup_window.h"
#include "platform/unique_handle.h"
#include "tiplex/lookupwnd.h"
#include "tiplex/ui/message_loop.h"

namespace qv::startup {
namespace {

void CloseKernelHandle(HANDLE h) noexcept { CloseHandle(h); }
using UniqueKernelHandle = platform::UniqueHandle<HANDLE, CloseKernelHandle>;

// The command-line tail, kept for the whole run.
std::wstring& CommandLineTail() {
  static std::wstring tail;
  return tail;
}

}  // namespace

StartMode DecideStartMode(bool firstRun, std::wstring_view tail) {
  // "/lookup WORD" opens the look-up window, and only that.
  if (tail == L"1" || ParseLookupCommand(tail)) return StartMode::Quiet;
  return firstRun ? StartMode::FirstRun : StartMode::Normal;
}

void ShowRunningInstance() noexcept {
  // "/lookup WORD": the running instance opens its look-up window instead.
  try {
    if (std::optional<std::wstring> word = ParseLookupCommand(CommandLineTail()))
      if (CLookUpWindow::SendToRunningInstance(*word)) return;
  } catch (...) {
  }
  EnumWindows(
      [](HWND wnd, LPARAM) -> BOOL {
        wchar_t title[261] = {};
        GetWindowTextW(wnd, title, 261);
        if (std::wstring_view(title) == kSettingsTitle) {
          ShowWindow(wnd, SW_SHOWNORMAL);
          SetForegroundWindow(wnd);
        }
        return TRUE;  // every window with that title, not just the first
      },
      0);
}

int ProcessEntry(HINSTANCE instance, std::wstring_view tail, int show) {
  CommandLineTail() = std::wstring(tail);
  if (UniqueKernelHandle running{OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kInstanceMutex)}) {
    ShowRunningInstance();
    return 0;
  }
  // Held, never waited on, until the process ends. Two starts at the same moment both find no
  // mutex to open; the one whose creation finds it already there is the second.
  UniqueKernelHandle mutex{CreateMutexW(nullptr, FALSE, kInstanceMutex)};
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    ShowRunningInstance();
    return 0;
  }

  // Failures here are not acted upon: start-up goes on.
  const HRESULT com = CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  ui::AppModule().Init(instance);

  const int result = Run(CommandLineTail(), show);

  ui::AppModule().Term();
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

}  // namespace qv::startup
