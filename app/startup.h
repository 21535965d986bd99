// The program's start: one instance per session, the start mode, the first-run actions and the
// splash, then the main dialog and the message loop until the user exits.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qv::startup {

// The running instance's mark, and the title by which a second start finds its settings window.
inline constexpr wchar_t kInstanceMutex[] = L"QV Dictionary";
inline constexpr wchar_t kSettingsTitle[] = L"QV Settings";
// Set on the settings window once the start-up has shown or hidden it: a second start leaves a
// window alone until then, or the start-up would hide it again.
inline constexpr wchar_t kReadyProperty[] = L"QV.SettingsReady";

enum class StartMode { Normal, FirstRun, Quiet };

// Quiet for a command-line tail of exactly "1" (the way the system starts QV at logon) or for
// "/lookup [WORD]" (only the look-up window opens), else FirstRun on the first run, else Normal.
StartMode DecideStartMode(bool firstRun, std::wstring_view tail);

// The single-instance rule, from what opening the instance mutex gave (openError: 0 when it was
// opened, else the error) and, when it was not opened, what creating it gave (created: a handle
// came back; createError: the last error then). The mutex of an instance that runs with other
// rights (elevated) exists but cannot be opened: access denied counts as running. When the
// mutex can be neither opened nor created for another reason, this start goes on without it.
inline bool AlreadyRunning(DWORD openError, bool created, DWORD createError) noexcept {
  if (openError == ERROR_SUCCESS || openError == ERROR_ACCESS_DENIED) return true;
  if (created) return createError == ERROR_ALREADY_EXISTS;
  return createError == ERROR_ACCESS_DENIED;
}

// Exit codes of a second start with "/lookup WORD": 0 only when the running instance took the
// word.
enum LookupExit : int {
  kLookupTaken = 0,
  kLookupNoWindow = 2,     // no running instance's window could be found on this desktop
  kLookupRefused = 3,      // the running instance, or this start, found the word unacceptable
  kLookupNoAnswer = 4,     // the running instance did not answer in time (it may still open it)
};

// What a second start does before it exits, returning its exit code: shows and brings forward
// every top-level window titled exactly kSettingsTitle (hidden ones too) that carries
// kReadyProperty, or with "/lookup [WORD]" hands the word to the running instance, which opens
// its look-up window. The first instance may still show its splash, before its settings window
// is ready: it is waited for, up to `waitMs`, but only when it runs on this desktop (it marks
// its desktop): a window on another desktop can never be found from here.
inline constexpr DWORD kWaitForSettingsMs = 30000;
int ShowRunningInstance(DWORD waitMs = kWaitForSettingsMs) noexcept;

// The process entry: the single-instance check, COM, the common controls, then
// Run(tail, show); its result is the exit code.
int ProcessEntry(std::wstring_view tail, int show);

// The start-up run (after the entry's checks): first run, splash, lexicon home, the main dialog,
// the message loop and the shutdown. Returns the loop's exit code. Defined beside the program's
// entry (main.cpp).
int Run(std::wstring_view tail, int show);

}  // namespace qv::startup
