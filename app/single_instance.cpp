#include "app/single_instance.h"

#include <algorithm>

#include "core/lookup/lookup_command.h"
#include "platform/trace.h"

namespace qv::startup {
namespace {

using platform::UniqueKernelHandle;

// How long a second start waits for the running instance to take its word.
constexpr UINT kAnswerMs = 10000;

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

int ShowOrSend(std::wstring_view tail, DWORD waitMs, const std::optional<std::wstring>& word) {
  // "/lookup" followed by something that is no acceptable word.
  if (word && word->empty() && !IsBareLookupCommand(tail)) {
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
      switch (SendToRunningInstance(*word)) {
        case Delivery::Acknowledged:
          return kLookupTaken;
        case Delivery::Refused:
          Tell(L"/lookup: the running QV refused the word.");
          return kLookupRefused;
        case Delivery::NoAnswer:
          Tell(L"/lookup: the running QV did not answer in time; it may still open the word.");
          return kLookupNoAnswer;
        case Delivery::NoWindow:
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

std::optional<InstanceMarks> ClaimFirstInstance() noexcept {
  InstanceMarks marks;
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
  if (AlreadyRunning(openError, static_cast<bool>(mutex), createError)) return std::nullopt;
  marks.mutex = std::move(mutex);
  try {
    marks.desktop.reset(CreateMutexW(nullptr, FALSE, DesktopMarkName().c_str()));
  } catch (...) {
    platform::TraceFailure(L"marking the desktop");
  }
  return marks;
}

Delivery SendToRunningInstance(const std::wstring& word) noexcept {
  struct Ctx {
    const std::wstring* word;
    Delivery result;
  } ctx{&word, Delivery::NoWindow};
  EnumWindows(
      [](HWND wnd, LPARAM lp) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(lp);
        wchar_t title[261] = {}, cls[32] = {};
        GetWindowTextW(wnd, title, 261);
        GetClassNameW(wnd, cls, 32);
        if (std::wstring_view(title) != kSettingsTitle || std::wstring_view(cls) != L"#32770")
          return TRUE;
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        AllowSetForegroundWindow(pid);  // its look-up window comes to the front
        COPYDATASTRUCT cds{kCopyDataLookup, static_cast<DWORD>(c->word->size() * sizeof(wchar_t)),
                           const_cast<wchar_t*>(c->word->data())};
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(wnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds),
                                 SMTO_ABORTIFHUNG, kAnswerMs, &answer))
          c->result = Delivery::NoAnswer;
        else
          c->result = answer ? Delivery::Acknowledged : Delivery::Refused;
        return FALSE;  // sent once: never to a second window, never again
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.result;
}

int ShowRunningInstance(std::wstring_view tail, DWORD waitMs) noexcept {
  std::optional<std::wstring> word;
  try {
    word = ParseLookupCommand(tail);
    return ShowOrSend(tail, waitMs, word);
  } catch (...) {
    platform::TraceFailure(L"reaching the running instance");
    return word ? kLookupNoWindow : 0;
  }
}

}  // namespace qv::startup
