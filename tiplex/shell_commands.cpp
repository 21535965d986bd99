#include "tiplex/shell_commands.h"

#include <shellapi.h>

#include "lexicon/settings.h"

namespace qv::shell {

// Until the dialogs exist the commands show their caption in a plain box.
void ShowAbout(HWND owner) noexcept { MessageBoxW(owner, L"QV", L"About", MB_OK); }
void ShowPronounceHelp(HWND owner) noexcept {
  MessageBoxW(owner, L"QV", L"QV Pronounciation Guide", MB_OK);
}

std::wstring TutorialAddress() {
  std::optional<std::wstring> dir = ReadInstallDir();
  return dir ? *dir + L"tutorial\\index.html" : std::wstring();
}

void OpenTutorial() noexcept {
  try {
    const std::wstring address = TutorialAddress();
    if (!address.empty())
      ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  } catch (...) {
  }
}

}  // namespace qv::shell
