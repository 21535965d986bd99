// In-memory stand-in for the registry: keys and value names compare without regard to ASCII
// letter case, as the registry's do; values are stored as UTF-16 text and converted through the
// code page on ANSI reads and writes, with the same byte counts as the system interfaces.
#include <map>
#include <mutex>
#include <utility>

#include "platform/codepage.h"
#include "platform/registry.h"
#include "platform/registry_keyid.h"
#include "platform/registry_stub.h"

namespace qv::platform {
namespace {

using detail::FoldCase;
using detail::RegKeyId;

struct Key {
  std::map<std::wstring, std::wstring> values;  // folded name -> text
  bool denyFull = false;
  bool denyWrites = false;
};

struct OpenKey {
  std::wstring id;
  RegAccess access;
};

std::mutex g_mutex;
std::map<std::wstring, Key>& Keys() {
  static std::map<std::wstring, Key> keys;
  return keys;
}

Key* Find(const std::wstring& id) {
  auto it = Keys().find(id);
  return it == Keys().end() ? nullptr : &it->second;
}

OpenKey* AsOpen(void* h) { return static_cast<OpenKey*>(h); }

bool Write(void* h, std::wstring_view name, std::wstring value) {
  std::lock_guard lock(g_mutex);
  OpenKey* ok = AsOpen(h);
  Key* k = ok ? Find(ok->id) : nullptr;
  if (!k || ok->access != RegAccess::All || k->denyWrites) return false;
  k->values[FoldCase(name)] = std::move(value);
  return true;
}

std::optional<std::wstring> Read(void* h, std::wstring_view name) {
  std::lock_guard lock(g_mutex);
  OpenKey* ok = AsOpen(h);
  Key* k = ok ? Find(ok->id) : nullptr;
  if (!k) return std::nullopt;
  auto it = k->values.find(FoldCase(name));
  if (it == k->values.end()) return std::nullopt;
  return it->second;
}

}  // namespace

void detail::CloseRegKey(void* h) noexcept { delete AsOpen(h); }

RegKey RegKey::Open(Hive hive, std::wstring_view path, RegAccess access) {
  std::lock_guard lock(g_mutex);
  std::wstring id = RegKeyId(hive, path);
  Key* k = Find(id);
  if (!k || (access == RegAccess::All && k->denyFull)) return RegKey().WithOverrides(hive, path);
  return RegKey(new OpenKey{id, access}).WithOverrides(hive, path);
}

RegKey RegKey::Create(Hive hive, std::wstring_view path) {
  detail::NoteChange();
  if (RegKey overridden = RegKey().WithOverrides(hive, path)) return overridden;
  {
    std::lock_guard lock(g_mutex);
    std::wstring id = RegKeyId(hive, path);
    // Intermediate keys come into being with the last one.
    for (size_t pos = id.find(L'\\'); pos != std::wstring::npos; pos = id.find(L'\\', pos + 1))
      Keys().try_emplace(id.substr(0, pos));
    Key& k = Keys()[id];
    if (k.denyFull) return RegKey();
  }
  return Open(hive, path, RegAccess::All);
}

bool RegKey::DeleteTree(Hive hive, std::wstring_view path) {
  detail::NoteChange();
  std::lock_guard lock(g_mutex);
  std::wstring id = RegKeyId(hive, path);
  for (auto it = Keys().begin(); it != Keys().end();) {
    const std::wstring& k = it->first;
    bool under = k == id || (k.size() > id.size() && k.compare(0, id.size(), id) == 0 &&
                             k[id.size()] == L'\\');
    it = under ? Keys().erase(it) : std::next(it);
  }
  return true;
}

std::optional<std::string> RegKey::ReadAnsi(std::string_view name, std::size_t cbBuffer) const {
  if (std::optional<std::string> v; ReadOverride(name, cbBuffer, v)) return v;
  auto v = Read(m_h.get(), AnsiToWide(name));
  if (!v) return std::nullopt;
  std::string text = WideToAnsi(*v);
  if (text.size() + 1 > cbBuffer) return std::nullopt;
  return text.substr(0, text.find('\0'));
}

std::optional<std::wstring> RegKey::ReadWide(std::wstring_view name, std::size_t cbBuffer) const {
  if (std::optional<std::wstring> v; ReadOverride(name, cbBuffer, v)) return v;
  auto v = Read(m_h.get(), name);
  // Sizes as on Windows, where a character takes two bytes.
  if (!v || (v->size() + 1) * 2 > cbBuffer) return std::nullopt;
  return v->substr(0, v->find(L'\0'));
}

bool RegKey::WriteAnsi(std::string_view name, std::string_view text) const {
  detail::NoteChange();
  if (Overridden()) return WriteOverride(AnsiToWide(name), AnsiToWide(text));
  return Write(m_h.get(), AnsiToWide(name), AnsiToWide(text));
}

bool RegKey::WriteWide(std::wstring_view name, std::wstring_view text) const {
  detail::NoteChange();
  if (Overridden()) return WriteOverride(name, text);
  return Write(m_h.get(), name, std::wstring(text));
}

bool RegKey::DeleteValue(std::wstring_view name) const {
  detail::NoteChange();
  if (Overridden()) return DeleteOverride(name);
  std::lock_guard lock(g_mutex);
  OpenKey* ok = AsOpen(m_h.get());
  Key* k = ok ? Find(ok->id) : nullptr;
  return k && ok->access == RegAccess::All && !k->denyWrites && k->values.erase(FoldCase(name)) > 0;
}

namespace stub {

void ResetRegistry() {
  detail::NoteChange();
  std::lock_guard lock(g_mutex);
  Keys().clear();
}

void DenyFullAccess(Hive hive, std::wstring_view path, bool deny) {
  detail::NoteChange();
  std::lock_guard lock(g_mutex);
  Keys()[RegKeyId(hive, path)].denyFull = deny;
}

void DenyWrites(Hive hive, std::wstring_view path, bool deny) {
  detail::NoteChange();
  std::lock_guard lock(g_mutex);
  Keys()[RegKeyId(hive, path)].denyWrites = deny;
}

}  // namespace stub
// The in-memory registry changes only through this process.
struct KeyWatch::State {
  std::uint64_t seen = ~std::uint64_t{0};
};

KeyWatch::KeyWatch(Hive, std::wstring_view) : m_state(std::make_unique<State>()) {}
KeyWatch::~KeyWatch() = default;

bool KeyWatch::Changed() {
  const std::uint64_t count = detail::ChangeCount();
  return std::exchange(m_state->seen, count) != count;
}

}  // namespace qv::platform
