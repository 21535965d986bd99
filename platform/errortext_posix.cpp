#include "platform/errortext.h"

namespace qv::platform {

std::optional<std::wstring> SystemErrorText(std::uint32_t) { return std::nullopt; }

}  // namespace qv::platform
