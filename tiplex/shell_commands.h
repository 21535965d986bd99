// The shell's commands that open something beside the main dialog: the About dialog, the
// pronunciation guide and the tutorial page.
#pragma once

#include <windows.h>

#include <string>

namespace qv::shell {

// Modal, owned by `owner`; they return when the dialog closes.
void ShowAbout(HWND owner) noexcept;
void ShowPronounceHelp(HWND owner) noexcept;

// The tutorial page that ships with the program, as an address the shell can open.
std::wstring TutorialAddress();
// Asks the shell to open the tutorial page; a failure is ignored.
void OpenTutorial() noexcept;

}  // namespace qv::shell
