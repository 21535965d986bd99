// Opening an address through the shell: the tutorial page that ships with the program (from the
// menus, and once on the first run) and the addresses the text bundle names.
#pragma once

#include <string>
#include <string_view>

namespace qv {

// The tutorial page ships with the program and is installed in the installation folder (the
// registry's Target), so that it opens offline. Its place there, as the menu commands name it.
inline constexpr wchar_t kTutorialPage[] = L"tutorial\\index.html";

// An address as the text bundle or the program names it, made ready for the shell by the rule of
// core/addresses.h: an http or https address, or a page inside the installation folder (the
// registry's Target). Empty when there is nothing to open.
std::wstring ResolveAddress(std::wstring_view entry);

// The installed tutorial page (kTutorialPage resolved).
std::wstring TutorialAddress();
// The first-run tutorial: the bundle's TutorialURL in section "Main", resolved.
std::wstring FirstRunTutorialAddress();

// Asks the shell to "open" an address; an empty address opens nothing, a failure is ignored.
void OpenAddress(const std::wstring& address) noexcept;
// The menu commands' and the tray item Help's page.
void OpenTutorial() noexcept;

}  // namespace qv
