#include <windows.h>

#include <string>

#include "platform/resources.h"
#include "platform/resources_builtin.h"

namespace qv::platform {
namespace {
// Blocks a tool reads from files, found before the executable's own.
const BuiltinBlock* g_table = nullptr;
std::size_t g_count = 0;
}  // namespace

void SetBuiltinBlocks(const BuiltinBlock* table, std::size_t count) {
  g_table = table;
  g_count = count;
}

std::optional<std::string_view> FindBlock(std::wstring_view type, std::wstring_view name) {
  for (std::size_t i = 0; i < g_count; ++i)
    if (type == g_table[i].type && name == g_table[i].name)
      return std::string_view(g_table[i].data, g_table[i].size);
  std::wstring sType(type), sName(name);
  HMODULE hModule = GetModuleHandleW(nullptr);
  HRSRC hRes = FindResourceW(hModule, sName.c_str(), sType.c_str());
  if (!hRes) return std::nullopt;
  HGLOBAL hData = LoadResource(hModule, hRes);  // module-owned: never freed
  const void* p = hData ? LockResource(hData) : nullptr;
  if (!p) return std::nullopt;
  return std::string_view(static_cast<const char*>(p), SizeofResource(hModule, hRes));
}

}  // namespace qv::platform
