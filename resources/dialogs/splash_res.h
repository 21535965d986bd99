// The splash dialog: template 208 showing bitmap 210.
#pragma once

#define IDD_SPLASH 208
#define IDB_SPLASH 210
