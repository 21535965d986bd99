#include <windows.h>

#include <chrono>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/kernel_win.h"
#include "platform/registry.h"

namespace qv::platform {
namespace {

HKEY Root(Hive hive) { return hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
HKEY H(void* h) { return static_cast<HKEY>(h); }

}  // namespace

void detail::CloseRegKey(void* h) noexcept { RegCloseKey(static_cast<HKEY>(h)); }

RegKey RegKey::Open(Hive hive, std::wstring_view path, RegAccess access) {
  std::wstring pathString(path);
  HKEY hKey = nullptr;
  REGSAM sam = access == RegAccess::All ? KEY_ALL_ACCESS : KEY_READ;
  if (RegOpenKeyExW(Root(hive), pathString.c_str(), 0, sam, &hKey) != ERROR_SUCCESS)
    return RegKey().WithOverrides(hive, path);
  return RegKey(hKey).WithOverrides(hive, path);
}

RegKey RegKey::Create(Hive hive, std::wstring_view path) {
  detail::NoteChange();
  if (RegKey overridden = RegKey().WithOverrides(hive, path)) return overridden;
  std::wstring pathString(path);
  HKEY hKey = nullptr;
  if (RegCreateKeyExW(Root(hive), pathString.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
    return RegKey();
  return RegKey(hKey);
}

bool RegKey::DeleteTree(Hive hive, std::wstring_view path) {
  detail::NoteChange();
  std::wstring pathString(path);
  LSTATUS st = RegDeleteTreeW(Root(hive), pathString.c_str());
  if (st == ERROR_SUCCESS || st == ERROR_FILE_NOT_FOUND) {
    RegDeleteKeyW(Root(hive), pathString.c_str());
    return !Open(hive, path, RegAccess::Read);
  }
  return false;
}

std::optional<std::string> RegKey::ReadAnsi(std::string_view name, std::size_t cbBuffer) const {
  if (std::optional<std::string> v; ReadOverride(name, cbBuffer, v)) return v;
  if (!m_h) return std::nullopt;
  std::string nameString(name);
  std::vector<char> buf(cbBuffer + 1, '\0');
  DWORD cb = static_cast<DWORD>(cbBuffer);
  if (RegQueryValueExA(H(m_h.get()), nameString.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(buf.data()), &cb) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(buf.data());
}

std::optional<std::wstring> RegKey::ReadWide(std::wstring_view name, std::size_t cbBuffer) const {
  if (std::optional<std::wstring> v; ReadOverride(name, cbBuffer, v)) return v;
  if (!m_h) return std::nullopt;
  std::wstring nameString(name);
  std::vector<wchar_t> buf(cbBuffer / sizeof(wchar_t) + 1, L'\0');
  DWORD cb = static_cast<DWORD>(cbBuffer);
  if (RegQueryValueExW(H(m_h.get()), nameString.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(buf.data()), &cb) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(buf.data());
}

bool RegKey::WriteAnsi(std::string_view name, std::string_view text) const {
  detail::NoteChange();
  if (Overridden()) return WriteOverride(AnsiToWide(name), AnsiToWide(text));
  if (!m_h) return false;
  std::string nameString(name), textString(text);
  return RegSetValueExA(H(m_h.get()), nameString.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(textString.c_str()),
                        static_cast<DWORD>(textString.size() + 1)) == ERROR_SUCCESS;
}

bool RegKey::WriteWide(std::wstring_view name, std::wstring_view text) const {
  detail::NoteChange();
  if (Overridden()) return WriteOverride(name, text);
  if (!m_h) return false;
  std::wstring nameString(name), textString(text);
  return RegSetValueExW(H(m_h.get()), nameString.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(textString.c_str()),
                        static_cast<DWORD>((textString.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegKey::DeleteValue(std::wstring_view name) const {
  detail::NoteChange();
  if (Overridden()) return DeleteOverride(name);
  if (!m_h) return false;
  std::wstring nameString(name);
  return RegDeleteValueW(H(m_h.get()), nameString.c_str()) == ERROR_SUCCESS;
}

struct KeyWatch::State {
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kPoll{100}, kRetry{1000};

  HKEY root;
  std::wstring path;
  UniqueHandle<void*, detail::CloseRegKey> key;
  UniqueKernelHandle event;
  bool armed = false;
  std::uint64_t seen = ~std::uint64_t{0};
  Clock::time_point polled{}, tried{};

  // Asks the system to signal the event at the next change of the key or below it.
  bool Arm() {
    if (!event) event.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event) return false;
    if (!key) {
      HKEY opened = nullptr;
      if (RegOpenKeyExW(root, path.c_str(), 0, KEY_NOTIFY, &opened) != ERROR_SUCCESS) return false;
      key.reset(opened);
    }
    if (RegNotifyChangeKeyValue(H(key.get()), TRUE,
                                REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, event.get(),
                                TRUE) == ERROR_SUCCESS)
      return true;
    key.reset();  // deleted: opened again at the next try
    return false;
  }
};

KeyWatch::KeyWatch(Hive hive, std::wstring_view path) : m_state(std::make_unique<State>()) {
  m_state->root = Root(hive);
  m_state->path = std::wstring(path);
}

KeyWatch::~KeyWatch() = default;

bool KeyWatch::Changed() {
  State& st = *m_state;
  const std::uint64_t count = detail::ChangeCount();
  bool changed = std::exchange(st.seen, count) != count;
  const State::Clock::time_point now = State::Clock::now();
  if (st.armed) {
    if (now - st.polled >= State::kPoll) {
      st.polled = now;
      if (WaitForSingleObject(st.event.get(), 0) == WAIT_OBJECT_0) {
        changed = true;
        st.armed = st.Arm();
        st.tried = now;
      }
    }
  } else if (changed || now - st.tried >= State::kRetry) {
    st.tried = now;
    changed = true;
    st.armed = st.Arm();
  }
  return changed;
}

}  // namespace qv::platform
