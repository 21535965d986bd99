// Starting the program from outside, as the system and the user do: an exact command line, its
// windows watched until the main dialog exists, and its end through the tray menu's E&xit.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "app/single_instance.h"

namespace qv::test {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

inline std::wstring WinPath(const std::string& unixPath) {
  std::wstring out = L"Z:";
  for (char c : unixPath) out += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return out;
}

struct WindowsOf {
  DWORD pid;
  HWND settings = nullptr;  // the top-level window titled "QV Settings"
  HWND splash = nullptr;    // a visible caption-less dialog
};

inline void FindWindowsOf(WindowsOf& w) {
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto& w = *reinterpret_cast<WindowsOf*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid != w.pid) return TRUE;
        wchar_t title[64] = {}, cls[32] = {};
        GetWindowTextW(h, title, 64);
        GetClassNameW(h, cls, 32);
        if (std::wstring_view(title) == L"QV Settings") w.settings = h;
        const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
        if (std::wstring_view(cls) == L"#32770" && IsWindowVisible(h) &&
            (style & WS_CAPTION) != WS_CAPTION)
          w.splash = h;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&w));
}

struct Started {
  PROCESS_INFORMATION pi{};
  HWND settings = nullptr;
  bool splashSeen = false;
  Clock::time_point t0;  // just before the process was created
  std::chrono::milliseconds toMainDialog{0};
  bool exited = false;
  DWORD exitCode = STILL_ACTIVE;

  ~Started() {
    if (pi.hProcess) {
      if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
    }
  }
  // Ends the program as the tray menu's E&xit does; true when it ended with code 0.
  bool Exit() {
    if (settings) PostMessageW(settings, WM_COMMAND, 57665, 0);
    if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    return exitCode == 0;
  }
};

// Starts the program with exactly this command line after its quoted name, and watches it until
// its settings window exists or it has ended.
inline void Start(Started& s, const std::wstring& program, const std::wstring& tail,
                  bool withBlank = true) {
  std::wstring cmd = L"\"" + program + L"\"" + (withBlank && !tail.empty() ? L" " : L"") + tail;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  const auto t0 = s.t0 = Clock::now();
  if (!CreateProcessW(program.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &si, &s.pi))
    return;
  WindowsOf w{s.pi.dwProcessId};
  while (Clock::now() - t0 < 30s) {
    FindWindowsOf(w);
    if (w.splash && !w.settings) s.splashSeen = true;
    if (w.settings) break;
    if (WaitForSingleObject(s.pi.hProcess, 5) == WAIT_OBJECT_0) {
      s.exited = true;
      GetExitCodeProcess(s.pi.hProcess, &s.exitCode);
      return;
    }
  }
  s.toMainDialog = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0);
  s.settings = w.settings;
  // The show or hide that follows the creation: the start-up marks the window once it is done.
  for (const auto t1 = Clock::now(); Clock::now() - t1 < 10s;) {
    if (!s.settings || GetPropW(s.settings, qv::startup::kReadyProperty)) break;
    Sleep(10);
  }
}

}  // namespace qv::test
