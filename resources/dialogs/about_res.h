// The About dialog: template 100.
#pragma once

#include "resources/resource_ids.h"  // the icon it shows

#define IDD_ABOUTBOX 100
#define IDC_ABOUT_NOTICE 1021  // the WordNet 3.0 notice, set at initialisation
#define IDC_ABOUT_TITLE 1025   // name, version, edition; not localized
#define IDC_ABOUT_MAKER 1026   // the maker's one-line notice, localized
