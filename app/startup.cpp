#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>

#include "core/lookup_window.h"
#include "platform/kernel_win.h"
#include "platform/trace.h"
#include "app/lookupwnd.h"

namespace qv::startup {
namespace {

using platform::UniqueKernelHandle;

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

void ShowRunningInstance(DWORD waitMs) noexcept {
  std::optional<std::wstring> word;
  try {
    word = ParseLookupCommand(CommandLineTail());
  } catch (...) {
    platform::TraceFailure(L"reading the command line for /lookup");
  }
  const ULONGLONG end = GetTickCount64() + waitMs;
  for (;;) {
    bool shown = false;
    if (word) {
      // "/lookup WORD": the running instance opens its look-up window instead.
      try {
        shown = CLookUpWindow::SendToRunningInstance(*word);
      } catch (...) {
        platform::TraceFailure(L"handing the word to the running instance");
      }
    } else {
      EnumWindows(
          [](HWND wnd, LPARAM found) -> BOOL {
            wchar_t title[261] = {};
            GetWindowTextW(wnd, title, 261);
            if (std::wstring_view(title) == kSettingsTitle && GetPropW(wnd, kReadyProperty)) {
              ShowWindow(wnd, SW_SHOWNORMAL);
              SetForegroundWindow(wnd);
              *reinterpret_cast<bool*>(found) = true;
            }
            return TRUE;  // every window with that title, not just the first
          },
          reinterpret_cast<LPARAM>(&shown));
    }
    if (shown || GetTickCount64() >= end) return;
    Sleep(100);
  }
}

int ProcessEntry(std::wstring_view tail, int show) {
  CommandLineTail() = std::wstring(tail);
  // The mutex's name stays as it is: other programs look for it. Only its existence matters,
  // so it is opened with the least access.
  UniqueKernelHandle running{OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutex)};
  const DWORD openError = running ? ERROR_SUCCESS : GetLastError();
  // Held, never waited on, until the process ends. Two starts at the same moment both find no
  // mutex to open; the one whose creation finds it already there is the second.
  UniqueKernelHandle mutex;
  DWORD createError = ERROR_SUCCESS;
  if (!running && openError != ERROR_ACCESS_DENIED) {
    mutex.reset(CreateMutexW(nullptr, FALSE, kInstanceMutex));
    createError = GetLastError();
  }
  if (AlreadyRunning(openError, static_cast<bool>(mutex), createError)) {
    ShowRunningInstance();
    return 0;
  }

  // Failures here are not acted upon: start-up goes on.
  const HRESULT com = CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);

  const int result = Run(CommandLineTail(), show);

  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

}  // namespace qv::startup
