#include <windows.h>

#include <vector>

#include "platform/codepage.h"
#include "platform/registry.h"

namespace qv::platform {
namespace {

HKEY Root(Hive hive) { return hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
HKEY H(void* h) { return static_cast<HKEY>(h); }

}  // namespace

void detail::CloseRegKey(void* h) noexcept { RegCloseKey(static_cast<HKEY>(h)); }

RegKey RegKey::Open(Hive hive, std::wstring_view path, RegAccess access) {
  std::wstring sPath(path);
  HKEY hKey = nullptr;
  REGSAM sam = access == RegAccess::All ? KEY_ALL_ACCESS : KEY_READ;
  if (RegOpenKeyExW(Root(hive), sPath.c_str(), 0, sam, &hKey) != ERROR_SUCCESS)
    return RegKey().WithOverrides(hive, path);
  return RegKey(hKey).WithOverrides(hive, path);
}

RegKey RegKey::Create(Hive hive, std::wstring_view path) {
  if (RegKey overridden = RegKey().WithOverrides(hive, path)) return overridden;
  std::wstring sPath(path);
  HKEY hKey = nullptr;
  if (RegCreateKeyExW(Root(hive), sPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
    return RegKey();
  return RegKey(hKey);
}

bool RegKey::DeleteTree(Hive hive, std::wstring_view path) {
  std::wstring sPath(path);
  LSTATUS st = RegDeleteTreeW(Root(hive), sPath.c_str());
  if (st == ERROR_SUCCESS || st == ERROR_FILE_NOT_FOUND) {
    RegDeleteKeyW(Root(hive), sPath.c_str());
    return !Open(hive, path, RegAccess::Read);
  }
  return false;
}

std::optional<std::string> RegKey::ReadAnsi(std::string_view name, std::size_t cbBuffer) const {
  if (std::optional<std::string> v; ReadOverride(name, cbBuffer, v)) return v;
  if (!m_h) return std::nullopt;
  std::string sName(name);
  std::vector<char> buf(cbBuffer + 1, '\0');
  DWORD cb = static_cast<DWORD>(cbBuffer);
  if (RegQueryValueExA(H(m_h.get()), sName.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(buf.data()), &cb) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(buf.data());
}

std::optional<std::wstring> RegKey::ReadWide(std::wstring_view name, std::size_t cbBuffer) const {
  if (std::optional<std::wstring> v; ReadOverride(name, cbBuffer, v)) return v;
  if (!m_h) return std::nullopt;
  std::wstring sName(name);
  std::vector<wchar_t> buf(cbBuffer / sizeof(wchar_t) + 1, L'\0');
  DWORD cb = static_cast<DWORD>(cbBuffer);
  if (RegQueryValueExW(H(m_h.get()), sName.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(buf.data()), &cb) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(buf.data());
}

bool RegKey::WriteAnsi(std::string_view name, std::string_view text) const {
  if (Overridden()) return WriteOverride(AnsiToWide(name), AnsiToWide(text));
  if (!m_h) return false;
  std::string sName(name), sText(text);
  return RegSetValueExA(H(m_h.get()), sName.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(sText.c_str()),
                        static_cast<DWORD>(sText.size() + 1)) == ERROR_SUCCESS;
}

bool RegKey::WriteWide(std::wstring_view name, std::wstring_view text) const {
  if (Overridden()) return WriteOverride(name, text);
  if (!m_h) return false;
  std::wstring sName(name), sText(text);
  return RegSetValueExW(H(m_h.get()), sName.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(sText.c_str()),
                        static_cast<DWORD>((sText.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegKey::DeleteValue(std::wstring_view name) const {
  if (Overridden()) return DeleteOverride(name);
  if (!m_h) return false;
  std::wstring sName(name);
  return RegDeleteValueW(H(m_h.get()), sName.c_str()) == ERROR_SUCCESS;
}

}  // namespace qv::platform
