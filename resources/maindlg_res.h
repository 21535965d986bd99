// The settings window: template 129 and its controls. Its menus are in resource_ids.h.
#pragma once

#include "resources/resource_ids.h"

#define IDD_MAINDLG 129

#define IDC_DELAY 1006
#define IDC_SEQUENCE 1007
#define IDC_ENABLE 1008
#define IDC_EXIT 1017
#define IDC_SEQUENCE_LABEL 1023
#define IDC_ENABLE_LABEL 1024
#define IDC_HOTKEY_GROUP 1025
#define IDC_HISTORY 1026
