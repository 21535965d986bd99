// Resource seam: read-only data blocks built into the program, found by type and name
// ("#223" names block number 223). Windows: the executable's resources; Linux: a table compiled
// into the program.
#pragma once

#include <optional>
#include <string_view>

namespace qv::platform {

// The block's bytes, valid for the life of the process; nullopt when no such block exists.
std::optional<std::string_view> FindBlock(std::wstring_view type, std::wstring_view name);

}  // namespace qv::platform
