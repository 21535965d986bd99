// Controls of the Linux build's in-memory registry, for tests and the command-line tool.
#pragma once

#include <string_view>

#include "platform/registry.h"

namespace qv::platform::stub {

// Forgets every key and value.
void ResetRegistry();
// Opening the key with full access fails, as it does on HKEY_LOCAL_MACHINE for a user without
// administrator rights.
void DenyFullAccess(Hive hive, std::wstring_view path, bool deny = true);
// The key opens, but every write to it fails.
void DenyWrites(Hive hive, std::wstring_view path, bool deny = true);

}  // namespace qv::platform::stub
