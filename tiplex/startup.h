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

enum class StartMode { Normal, FirstRun, Quiet };

// Quiet for a command-line tail of exactly "1" (the way the system starts QV at logon) or for
// "/lookup [WORD]" (only the look-up window opens), else FirstRun on the first run, else Normal.
StartMode DecideStartMode(bool firstRun, std::wstring_view tail);

// Shows and brings forward every top-level window titled exactly kSettingsTitle (hidden ones
// too): what a second start does before it exits. A second start with "/lookup [WORD]" hands
// the word to the running instance instead, which opens its look-up window.
void ShowRunningInstance() noexcept;

// The process entry: the single-instance check, COM, the common controls, the module, then
// Run(tail, show); its result is the exit code.
int ProcessEntry(HINSTANCE instance, std::wstring_view tail, int show);

// The start-up run (after the entry's checks): first run, splash, lexicon home, the main dialog,
// the message loop and the shutdown. Returns the loop's exit code. Defined beside the program's
// entry (qv_main.cpp).
int Run(std::wstring_view tail, int show);

}  // namespace qv::startup
