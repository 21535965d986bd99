#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>

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

// The desktop this thread's windows are on ("Default" for the user's ordinary one).
std::wstring DesktopName() {
  wchar_t name[256] = {};
  DWORD needed = 0;
  HDESK desk = GetThreadDesktop(GetCurrentThreadId());
  if (!desk || !GetUserObjectInformationW(desk, UOI_NAME, name, sizeof name - sizeof *name, &needed))
    return L"";
  return name;
}

// The mark of the first instance's desktop: a mutex named after it, held for the whole run.
std::wstring DesktopMarkName() {
  std::wstring name = std::wstring(kInstanceMutex) + L" on " + DesktopName();
  std::replace(name.begin(), name.end(), L'\\', L'/');  // a backslash would name a namespace
  return name;
}

bool RunsOnThisDesktop() noexcept {
  try {
    UniqueKernelHandle mark{OpenMutexW(SYNCHRONIZE, FALSE, DesktopMarkName().c_str())};
    return mark || GetLastError() == ERROR_ACCESS_DENIED;  // an elevated instance: it is there
  } catch (...) {
    return true;
  }
}

// "/lookup" with nothing after it.
bool IsBareLookupCommand(std::wstring_view tail) {
  const std::size_t last = tail.find_last_not_of(L" \t");
  const std::size_t first = tail.find_first_not_of(L" \t");
  return first != std::wstring_view::npos && last - first + 1 == std::wstring_view(L"/lookup").size();
}

// Why a second start ends as it does: in the trace, and on the console it was started from, if
// any.
void Tell(const std::wstring& why) noexcept {
  try {
    const std::wstring line = L"QV: " + why + L"\n";
    OutputDebugStringW(line.c_str());
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
      DWORD written = 0;
      WriteConsoleW(GetStdHandle(STD_ERROR_HANDLE), line.c_str(), static_cast<DWORD>(line.size()),
                    &written, nullptr);
      FreeConsole();
    }
  } catch (...) {
    OutputDebugStringW(L"QV: a second start ended\n");
  }
}

}  // namespace

StartMode DecideStartMode(bool firstRun, std::wstring_view tail) {
  // "/lookup WORD" opens the look-up window, and only that.
  if (tail == L"1" || ParseLookupCommand(tail)) return StartMode::Quiet;
  return firstRun ? StartMode::FirstRun : StartMode::Normal;
}

namespace {

int ShowOrSend(DWORD waitMs, const std::optional<std::wstring>& word) {
  // "/lookup" followed by something that is no acceptable word.
  if (word && word->empty() && !IsBareLookupCommand(CommandLineTail())) {
    Tell(L"/lookup: the word is empty, too long or holds a control character; nothing was sent.");
    return kLookupRefused;
  }
  if (!RunsOnThisDesktop()) {
    waitMs = 0;  // one look, for an earlier version that does not mark its desktop
    Tell(L"The running QV is on another desktop (this one is " + DesktopName() +
         L"): its windows cannot be reached from here.");
  }
  const ULONGLONG end = GetTickCount64() + waitMs;
  for (;;) {
    if (word) {
      // "/lookup WORD": the running instance opens its look-up window instead.
      switch (CLookUpWindow::SendToRunningInstance(*word)) {
        case CLookUpWindow::Delivery::Acknowledged:
          return kLookupTaken;
        case CLookUpWindow::Delivery::Refused:
          Tell(L"/lookup: the running QV refused the word.");
          return kLookupRefused;
        case CLookUpWindow::Delivery::NoAnswer:
          Tell(L"/lookup: the running QV did not answer in time; it may still open the word.");
          return kLookupNoAnswer;
        case CLookUpWindow::Delivery::NoWindow:
          break;
      }
    } else {
      bool shown = false;
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
      if (shown) return 0;
    }
    if (GetTickCount64() >= end) break;
    Sleep(100);
  }
  Tell(L"No window of the running QV was found on this desktop.");
  return word ? kLookupNoWindow : 0;
}

}  // namespace

int ShowRunningInstance(DWORD waitMs) noexcept {
  std::optional<std::wstring> word;
  try {
    word = ParseLookupCommand(CommandLineTail());
    return ShowOrSend(waitMs, word);
  } catch (...) {
    platform::TraceFailure(L"reaching the running instance");
    return word ? kLookupNoWindow : 0;
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
  if (AlreadyRunning(openError, static_cast<bool>(mutex), createError)) return ShowRunningInstance();
  UniqueKernelHandle desktopMark;
  try {
    desktopMark.reset(CreateMutexW(nullptr, FALSE, DesktopMarkName().c_str()));
  } catch (...) {
    platform::TraceFailure(L"marking the desktop");
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
