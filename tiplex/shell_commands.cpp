#include "tiplex/shell_commands.h"

#include <shellapi.h>

#include "lexicon/settings.h"
#include "lexicon/textbundle.h"
#include "tiplex/aboutdlg.h"
#include "tiplex/pronouncehelp.h"

namespace qv::shell {

void ShowAbout(HWND owner) noexcept {
  CAboutDlg dlg;
  dlg.DoModal(owner);
}

void ShowPronounceHelp(HWND owner) noexcept {
  CPronounceHelp dlg;
  dlg.DoModal(owner);
}

namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// "scheme:" with a scheme of two characters or more (one letter and a colon is a drive).
bool HasScheme(std::wstring_view s) {
  const size_t colon = s.find(L':');
  if (colon == std::wstring_view::npos || colon < 2 || !IsAsciiLetter(s[0])) return false;
  for (size_t i = 1; i < colon; ++i) {
    const wchar_t c = s[i];
    if (!IsAsciiLetter(c) && !(c >= L'0' && c <= L'9') && c != L'+' && c != L'-' && c != L'.')
      return false;
  }
  return true;
}

bool IsAbsolutePath(std::wstring_view s) {
  if (s.size() >= 3 && IsAsciiLetter(s[0]) && s[1] == L':' && (s[2] == L'\\' || s[2] == L'/'))
    return true;
  return s.starts_with(L"\\\\") || s.starts_with(L"//");
}

}  // namespace

std::wstring ResolveAddress(std::wstring_view entry) {
  while (!entry.empty() && (entry.front() == L' ' || entry.front() == L'\t')) entry.remove_prefix(1);
  while (!entry.empty() && (entry.back() == L' ' || entry.back() == L'\t')) entry.remove_suffix(1);
  if (entry.empty()) return {};
  if (HasScheme(entry) || IsAbsolutePath(entry)) return std::wstring(entry);
  std::optional<std::wstring> dir = ReadInstallDir();
  if (!dir || dir->empty()) return {};
  if (dir->back() != L'\\' && dir->back() != L'/') *dir += L'\\';
  while (!entry.empty() && (entry.front() == L'\\' || entry.front() == L'/')) entry.remove_prefix(1);
  return *dir + std::wstring(entry);
}

std::wstring TutorialAddress() { return ResolveAddress(kTutorialPage); }

std::wstring FirstRunTutorialAddress() {
  return ResolveAddress(CLocalizer(L"Main").GetText(L"TutorialURL"));
}

void OpenAddress(const std::wstring& address) noexcept {
  if (!address.empty())
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenTutorial() noexcept {
  try {
    OpenAddress(TutorialAddress());
  } catch (...) {
  }
}

}  // namespace qv::shell
