// The Linux build's stand-in for executable resources: a table of blocks compiled into the
// program, installed once at start. On Windows a table installed here is searched before the
// executable's resources (a tool that reads the blocks from files).
#pragma once

#include <cstddef>

namespace qv::platform {

struct BuiltinBlock {
  const wchar_t* type;  // "DICT"
  const wchar_t* name;  // "#223"
  const char* data;
  std::size_t size;
};

// The table must outlive every FindBlock call.
void SetBuiltinBlocks(const BuiltinBlock* table, std::size_t count);

}  // namespace qv::platform
