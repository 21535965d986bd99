// Saving seam: a file written whole or not at all. The bytes go to a temporary file beside the
// target, are flushed to the disk, and the temporary file then takes the target's place in one
// step (a rename over it), so that a crash or a full disk never leaves half a file behind.
#pragma once

#include <filesystem>
#include <string_view>

namespace qv::platform {

// False when any step fails; the target is then as it was and no temporary file stays.
bool SaveFileReplacing(const std::filesystem::path& target, std::string_view bytes) noexcept;

}  // namespace qv::platform
