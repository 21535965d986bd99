// Saving seam: a file written whole or not at all. The bytes go to a temporary file beside the
// target, which then takes the target's place in one step (a rename over it), so that a crash of
// the program or a full disk never leaves half a file behind. The data are not forced to the
// disk first: the history is written after each new word, on the GUI thread, and a flush there
// can take a long time on a busy disk; what a power cut loses is the last few words.
#pragma once

#include <filesystem>
#include <string_view>

namespace qv::platform {

// False when any step fails; the target is then as it was and no temporary file stays.
bool SaveFileReplacing(const std::filesystem::path& target, std::string_view bytes) noexcept;

}  // namespace qv::platform
