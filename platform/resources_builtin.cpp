#include "platform/resources_builtin.h"

namespace qv::platform {
namespace {
const BuiltinBlock* g_table = nullptr;
std::size_t g_count = 0;
}  // namespace

void SetBuiltinBlocks(const BuiltinBlock* table, std::size_t count) {
  g_table = table;
  g_count = count;
}

std::optional<std::string_view> FindBuiltinBlock(std::wstring_view type, std::wstring_view name) {
  for (std::size_t i = 0; i < g_count; ++i)
    if (type == g_table[i].type && name == g_table[i].name)
      return std::string_view(g_table[i].data, g_table[i].size);
  return std::nullopt;
}

}  // namespace qv::platform
