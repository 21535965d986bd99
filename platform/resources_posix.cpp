#include "platform/resources.h"
#include "platform/resources_builtin.h"

namespace qv::platform {

std::optional<std::string_view> FindBlock(std::wstring_view type, std::wstring_view name) {
  return FindBuiltinBlock(type, name);
}

}  // namespace qv::platform
