// The dictionary's DICT blocks 223 to 235 read from files instead of the program's own.
#pragma once

#include <string>

#include "platform/resources_builtin.h"

namespace qv::cli {

// Reads dir/223 ... dir/235 (or dir/dict223.bin ..., as the build names them; dir ends with a
// separator) and makes them the blocks that
// FindBlock returns for the rest of the process. False, with a message, when a file cannot be
// read; the program's own blocks stay in use then.
bool LoadBlockFiles(const std::wstring& dir, std::string& message);

}  // namespace qv::cli
