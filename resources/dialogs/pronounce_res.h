// The pronunciation guide: template 221 showing bitmap 222.
#pragma once

#define IDD_PRONOUNCE 221
#define IDB_PRONOUNCE 222
