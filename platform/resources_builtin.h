// The Linux build's stand-in for executable resources: a table of blocks compiled into the
// program, installed once at start. On Windows a table installed here is searched before the
// executable's resources (a tool that reads the blocks from files).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace qv::platform {

struct BuiltinBlock {
  const wchar_t* type;  // "DICT"
  const wchar_t* name;  // "#223"
  const char* data;
  std::size_t size;
};

// The table must outlive every FindBlock call.
void SetBuiltinBlocks(const BuiltinBlock* table, std::size_t count);
// The installed table's block of that type and name.
std::optional<std::string_view> FindBuiltinBlock(std::wstring_view type, std::wstring_view name);

}  // namespace qv::platform
