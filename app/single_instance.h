// One QV per session: the marks the first instance holds, and what a second start does before
// it exits: it shows the running instance's settings window, or hands it the word of
// "/lookup WORD" for its look-up window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/kernel_win.h"

namespace qv::startup {

// The running instance's mark, and the title by which a second start finds its settings window.
inline constexpr wchar_t kInstanceMutex[] = L"QV Dictionary";
inline constexpr wchar_t kSettingsTitle[] = L"QV Settings";
// Set on the settings window once the start-up has shown or hidden it: a second start leaves a
// window alone until then, or the start-up would hide it again.
inline constexpr wchar_t kReadyProperty[] = L"QV.SettingsReady";

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

// The marks of the first instance, held for its whole run: the instance mutex, and the mark of
// the desktop it runs on.
struct InstanceMarks {
  platform::UniqueKernelHandle mutex, desktop;
};
// The marks when this start is the first instance; nullopt when another one runs.
std::optional<InstanceMarks> ClaimFirstInstance() noexcept;

// How a word handed to the running instance fared.
enum class Delivery { Acknowledged, Refused, NoAnswer, NoWindow };
// Sends the word to the first top-level settings window found, once: its instance opens its
// look-up window on it.
Delivery SendToRunningInstance(const std::wstring& word) noexcept;

// What a second start does before it exits, returning its exit code: shows and brings forward
// every top-level window titled exactly kSettingsTitle (hidden ones too) that carries
// kReadyProperty, or with "/lookup [WORD]" hands the word to the running instance, which opens
// its look-up window. The first instance may still show its splash, before its settings window
// is ready: it is waited for, up to `waitMs`, but only when it runs on this desktop (it marks
// its desktop): a window on another desktop can never be found from here.
inline constexpr DWORD kWaitForSettingsMs = 30000;
int ShowRunningInstance(std::wstring_view tail, DWORD waitMs = kWaitForSettingsMs) noexcept;

}  // namespace qv::startup
