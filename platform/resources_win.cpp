#include <windows.h>

#include <string>

#include "platform/resources.h"
#include "platform/resources_builtin.h"

namespace qv::platform {

std::optional<std::string_view> FindBlock(std::wstring_view type, std::wstring_view name) {
  // Blocks a tool reads from files come before the executable's own.
  if (auto block = FindBuiltinBlock(type, name)) return block;
  std::wstring typeString(type), nameString(name);
  HMODULE hModule = GetModuleHandleW(nullptr);
  HRSRC hRes = FindResourceW(hModule, nameString.c_str(), typeString.c_str());
  if (!hRes) return std::nullopt;
  HGLOBAL hData = LoadResource(hModule, hRes);  // module-owned: never freed
  const void* p = hData ? LockResource(hData) : nullptr;
  if (!p) return std::nullopt;
  return std::string_view(static_cast<const char*>(p), SizeofResource(hModule, hRes));
}

}  // namespace qv::platform
