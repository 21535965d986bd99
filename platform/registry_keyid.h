// How the Linux stand-in and the process-local overrides name keys and values: paths and names
// compare without regard to ASCII letter case, as the registry's do.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"

namespace qv::platform::detail {

inline std::wstring FoldCase(std::wstring_view s) {
  std::wstring out(s);
  for (auto& c : out)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
  return out;
}

inline std::wstring RegKeyId(Hive hive, std::wstring_view path) {
  while (!path.empty() && path.front() == L'\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
  return (hive == Hive::LocalMachine ? L"hklm\\" : L"hkcu\\") + FoldCase(path);
}

}  // namespace qv::platform::detail
