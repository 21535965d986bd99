// Case-mapping seam: the platform's Unicode lower-casing, which also lowers accented capitals.
#pragma once

#include <string>

namespace qv::platform {

void LowerInPlace(std::wstring& text);

}  // namespace qv::platform
