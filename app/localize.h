// Translation of the program's menus and windows through the text bundle: the English text that
// the resources carry is the key, and a text the bundle lacks becomes empty.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string_view>

namespace qv {

// Every item of a menu and of its submenus, through section "Main". Each item keeps its command
// identifier, its submenu and its state; only its text changes. Separators and items without
// text are left as they are.
void LocalizeMenu(HMENU menu) noexcept;

// A window's caption and the texts of the listed child controls, through `section`.
void LocalizeWindow(HWND wnd, std::wstring_view section, std::initializer_list<int> items) noexcept;

}  // namespace qv
