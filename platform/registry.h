// Registry seam. On Windows the real registry (ADVAPI32); on Linux an in-memory stand-in that
// tests and the command-line tool fill (registry_stub.h). Every key is opened for a single read
// or write and closed again by its owner.
//
// Process-local overrides: a value set with SetValueOverride is what every RegKey of this
// process reads for it, before (and instead of) the registry; the key then opens even when the
// registry lacks it or refuses the access, and writes to it stay in the process. This lets a
// tool point the program at other data without touching a user's registry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/unique_handle.h"

namespace qv::platform {

enum class Hive { LocalMachine, CurrentUser };
enum class RegAccess { Read, All };

namespace detail {
void CloseRegKey(void* h) noexcept;
// Counts a change made through RegKey or the overrides.
void NoteChange() noexcept;
// The changes counted so far.
std::uint64_t ChangeCount() noexcept;
}

void SetValueOverride(Hive hive, std::wstring_view path, std::wstring_view name,
                      std::wstring_view text);
void ClearValueOverrides();
// Whether a value of that key is overridden (set or deleted in-process).
bool HasValueOverride(Hive hive, std::wstring_view path, std::wstring_view name);

class RegKey {
 public:
  RegKey() noexcept = default;

  // An invalid key when the key does not exist or the access is refused.
  static RegKey Open(Hive hive, std::wstring_view path, RegAccess access);
  // Creates the key (non-volatile, default security) if needed and opens it with full access.
  static RegKey Create(Hive hive, std::wstring_view path);
  // Removes the key with its values and sub-keys; true when it is gone afterwards.
  static bool DeleteTree(Hive hive, std::wstring_view path);

  explicit operator bool() const noexcept {
    return static_cast<bool>(m_h) || !m_override.empty();
  }

  // Reads a string value into a buffer of cbBuffer bytes, as the ANSI interface (system code
  // page) or the wide interface returns it. A missing value, or one whose data would not fit
  // the buffer, is absent. The text ends at its first null.
  std::optional<std::string> ReadAnsi(std::string_view name, std::size_t cbBuffer) const;
  std::optional<std::wstring> ReadWide(std::wstring_view name, std::size_t cbBuffer) const;

  // Stores REG_SZ text with its terminating null.
  bool WriteAnsi(std::string_view name, std::string_view text) const;
  bool WriteWide(std::wstring_view name, std::wstring_view text) const;
  bool DeleteValue(std::wstring_view name) const;

 private:
  explicit RegKey(void* h) noexcept : m_h(h) {}
  // Attaches the overrides of the key, if it has any.
  RegKey&& WithOverrides(Hive hive, std::wstring_view path) &&;
  // True when the value is overridden; out is then what the read returns.
  bool ReadOverride(std::string_view name, std::size_t cbBuffer,
                    std::optional<std::string>& out) const;
  bool ReadOverride(std::wstring_view name, std::size_t cbBuffer,
                    std::optional<std::wstring>& out) const;
  bool Overridden() const noexcept { return !m_override.empty(); }
  bool WriteOverride(std::wstring_view name, std::wstring_view text) const;
  bool DeleteOverride(std::wstring_view name) const;

  UniqueHandle<void*, detail::CloseRegKey> m_h;
  std::wstring m_override;  // the key's identity among the overrides; empty when it has none
};

// Tells whether a key, its values or its sub-keys may have changed since the previous call, so
// that a value read from them can be kept until then. The first call says yes. A change made
// through this process's RegKey or overrides is always seen at the next call; on Windows a
// change by another process is seen as the system reports it, within a tenth of a second. A key
// that cannot be watched (it does not exist yet) counts as changed once a second.
class KeyWatch {
 public:
  KeyWatch(Hive hive, std::wstring_view path);
  ~KeyWatch();
  KeyWatch(const KeyWatch&) = delete;
  KeyWatch& operator=(const KeyWatch&) = delete;

  bool Changed();

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace qv::platform
