// Translates every item of a menu and of its submenus through the text bundle (section "Main").
#pragma once

#include <windows.h>

namespace qv {

// Each item keeps its command identifier, its submenu and its state; only its text changes.
// Separators and items without text are left as they are.
void LocalizeMenu(HMENU hMenu) noexcept;

}  // namespace qv
