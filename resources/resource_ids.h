// Identifiers that more than one resource file or window uses: the program's icons, its two
// menus and their commands. A dialog's own template and controls stay in its own header.
// Included by resource scripts too: definitions only.
#pragma once

// Icons: 128 for the windows and the popup's title line, 201 for the tray and About.
#define IDI_QV_WINDOW 128
#define IDI_QV_TRAY 201

// The settings window's menu bar and the tray icon's menu.
#define IDR_MAINMENU 219
#define IDR_TRAYMENU 202

// The tray menu's commands.
#define ID_TRAY_SETTINGS 204
#define ID_TRAY_TOGGLE 57664
#define ID_TRAY_EXIT 57665
#define ID_TRAY_HELP 57670
// The tray menu's items by position: "E&xit", "Help", "Look Up a Word...", "&Settings..."
// (the default), "Disable".
#define TRAY_POS_SETTINGS 3
#define TRAY_POS_TOGGLE 4

// The menu bar's commands ("Look Up a Word..." is on both menus).
#define ID_PRONOUNCE_GUIDE 32794
#define ID_WEB_TUTORIAL 32795
#define ID_ABOUT 32801
#define ID_LOOKUP_WINDOW 32810
