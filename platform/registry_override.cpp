// The process-local overrides of registry values, shared by both builds' RegKey.
#include <atomic>
#include <map>
#include <mutex>

#include "platform/codepage.h"
#include "platform/registry.h"
#include "platform/registry_keyid.h"

namespace qv::platform {
namespace {

using detail::FoldCase;
using detail::RegKeyId;



// Folded key id -> folded value name -> text; an absent text is a value deleted in-process.
using Values = std::map<std::wstring, std::optional<std::wstring>>;
std::mutex g_mutex;
std::atomic<std::uint64_t> g_changes{0};
std::map<std::wstring, Values>& Overrides() {
  static std::map<std::wstring, Values> overrides;
  return overrides;
}

std::optional<std::optional<std::wstring>> Lookup(const std::wstring& id, std::wstring_view name) {
  std::lock_guard lock(g_mutex);
  auto key = Overrides().find(id);
  if (key == Overrides().end()) return std::nullopt;
  auto value = key->second.find(FoldCase(name));
  if (value == key->second.end()) return std::nullopt;
  return value->second;
}

}  // namespace

void detail::NoteChange() noexcept { g_changes.fetch_add(1, std::memory_order_relaxed); }
std::uint64_t detail::ChangeCount() noexcept { return g_changes.load(std::memory_order_relaxed); }

void SetValueOverride(Hive hive, std::wstring_view path, std::wstring_view name,
                      std::wstring_view text) {
  detail::NoteChange();
  std::lock_guard lock(g_mutex);
  Overrides()[RegKeyId(hive, path)][FoldCase(name)] = std::wstring(text);
}

bool HasValueOverride(Hive hive, std::wstring_view path, std::wstring_view name) {
  return Lookup(RegKeyId(hive, path), name).has_value();
}

void ClearValueOverrides() {
  detail::NoteChange();
  std::lock_guard lock(g_mutex);
  Overrides().clear();
}

RegKey&& RegKey::WithOverrides(Hive hive, std::wstring_view path) && {
  std::wstring id = RegKeyId(hive, path);
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
  Overrides()[m_override][FoldCase(name)] = std::wstring(text);
  return true;
}

bool RegKey::DeleteOverride(std::wstring_view name) const {
  std::lock_guard lock(g_mutex);
  auto& value = Overrides()[m_override][FoldCase(name)];
  bool had = value.has_value();
  value.reset();
  return had;
}

}  // namespace qv::platform
