// The program's start: one instance per session, the start mode, the first-run actions and the
// splash, then the main dialog and the message loop until the user exits.
#pragma once

#include <windows.h>

#include <string_view>

namespace qv::startup {

enum class StartMode { Normal, FirstRun, Quiet };

// Quiet for a command-line tail of exactly "1" (the way the system starts QV at logon) or for
// "/lookup [WORD]" (only the look-up window opens), else FirstRun on the first run, else Normal.
StartMode DecideStartMode(bool firstRun, std::wstring_view tail);

// The process entry: the single-instance check, COM, the common controls, then
// Run(tail, show); its result is the exit code.
int ProcessEntry(std::wstring_view tail, int show);

// The start-up run (after the entry's checks): first run, splash, lexicon home, the main dialog,
// the message loop and the shutdown. Returns the loop's exit code.
int Run(std::wstring_view tail, int show);

}  // namespace qv::startup
