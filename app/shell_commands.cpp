#include "app/shell_commands.h"

#include <shellapi.h>

#include "core/addresses.h"
#include "core/settings.h"
#include "core/textbundle.h"
#include "app/aboutdlg.h"
#include "app/pronouncehelp.h"

namespace qv::shell {

void ShowAbout(HWND owner) noexcept {
  CAboutDlg dlg;
  dlg.DoModal(owner);
}

void ShowPronounceHelp(HWND owner) noexcept {
  CPronounceHelp dlg;
  dlg.DoModal(owner);
}

std::wstring ResolveAddress(std::wstring_view entry) {
  return SafeAddress(entry, ReadInstallDir().value_or(L""));
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
