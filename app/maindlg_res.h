// Identifiers of the settings window (dialog 129), its menu bar (219) and the tray menu (202).
#pragma once

#define IDD_MAINDLG 129
#define IDR_MAINMENU 219
#define IDR_TRAYMENU 202
#define IDI_QV 128
#define IDI_TRAY 201

#define IDC_HOTKEY 1004
#define IDC_TRIGGER 1005
#define IDC_DELAY 1006
#define IDC_SEQUENCE 1007
#define IDC_ENABLE 1008
#define IDC_EXIT 1017
#define IDC_SEQUENCE_LABEL 1023
#define IDC_ENABLE_LABEL 1024
#define IDC_HOTKEY_GROUP 1025
#define IDC_HISTORY 1026

#define ID_TRAY_SETTINGS 204
#define ID_TRAY_TOGGLE 57664
#define ID_TRAY_EXIT 57665
#define ID_TRAY_HELP 57670
// The tray menu's items by position: "E&xit", "Help", "Look Up a Word...", "&Settings..."
// (the default), "Disable".
#define TRAY_POS_SETTINGS 3
#define TRAY_POS_TOGGLE 4

#define ID_EXIT_ALT1 32781
#define ID_ABOUT_ALT1 32788
#define ID_EXIT_ALT2 32789
#define ID_PRONOUNCE_GUIDE 32794
#define ID_WEB_TUTORIAL 32795
#define ID_TUTORIAL_ALT 32799
#define ID_PRONOUNCE_ALT 32800
#define ID_ABOUT 32801
#define ID_LOOKUP_WINDOW 32810
