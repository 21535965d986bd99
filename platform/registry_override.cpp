// The process-local overrides of registry values, shared by both builds' RegKey.
#include <map>
#include <mutex>

#include "platform/codepage.h"
#include "platform/registry.h"

namespace qv::platform {
namespace {

// Key paths and value names compare without regard to ASCII letter case, as the registry's do.
std::wstring Fold(std::wstring_view s) {
  std::wstring out(s);
  for (auto& c : out)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
  return out;
}

std::wstring KeyId(Hive hive, std::wstring_view path) {
  while (!path.empty() && path.front() == L'\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
  return (hive == Hive::LocalMachine ? L"hklm\\" : L"hkcu\\") + Fold(path);
}

// Folded key id -> folded value name -> text; an absent text is a value deleted in-process.
using Values = std::map<std::wstring, std::optional<std::wstring>>;
std::mutex g_mutex;
std::map<std::wstring, Values>& Overrides() {
  static std::map<std::wstring, Values> overrides;
  return overrides;
}

std::optional<std::optional<std::wstring>> Lookup(const std::wstring& id, std::wstring_view name) {
  std::lock_guard lock(g_mutex);
  auto key = Overrides().find(id);
  if (key == Overrides().end()) return std::nullopt;
  auto value = key->second.find(Fold(name));
  if (value == key->second.end()) return std::nullopt;
  return value->second;
}

}  // namespace

void SetValueOverride(Hive hive, std::wstring_view path, std::wstring_view name,
                      std::wstring_view text) {
  std::lock_guard lock(g_mutex);
  Overrides()[KeyId(hive, path)][Fold(name)] = std::wstring(text);
}

void ClearValueOverrides() {
  std::lock_guard lock(g_mutex);
  Overrides().clear();
}

RegKey&& RegKey::WithOverrides(Hive hive, std::wstring_view path) && {
  std::wstring id = KeyId(hive, path);
  std::lock_guard lock(g_mutex);
  if (Overrides().count(id)) m_override = std::move(id);
  return std::move(*this);
}

bool RegKey::ReadOverride(std::wstring_view name, std::size_t cbBuffer,
                          std::optional<std::wstring>& out) const {
  if (!Overridden()) return false;
  auto v = Lookup(m_override, name);
  if (!v) return false;
  out.reset();
  // The same size rule as the wide interface: two bytes a character, with the terminator.
  if (*v && (**v).size() * 2 + 2 <= cbBuffer) out = (**v).substr(0, (**v).find(L'\0'));
  return true;
}

bool RegKey::ReadOverride(std::string_view name, std::size_t cbBuffer,
                          std::optional<std::string>& out) const {
  if (!Overridden()) return false;
  auto v = Lookup(m_override, AnsiToWide(name));
  if (!v) return false;
  out.reset();
  if (*v) {
    std::string text = WideToAnsi(**v);
    if (text.size() + 1 <= cbBuffer) out = text.substr(0, text.find('\0'));
  }
  return true;
}

bool RegKey::WriteOverride(std::wstring_view name, std::wstring_view text) const {
  std::lock_guard lock(g_mutex);
  Overrides()[m_override][Fold(name)] = std::wstring(text);
  return true;
}

bool RegKey::DeleteOverride(std::wstring_view name) const {
  std::lock_guard lock(g_mutex);
  auto& value = Overrides()[m_override][Fold(name)];
  bool had = value.has_value();
  value.reset();
  return had;
}

}  // namespace qv::platform
