#include "app/open_address.h"

#include <windows.h>
#include <shellapi.h>

#include "core/addresses.h"
#include "core/settings.h"
#include "core/dictionary/text_bundle.h"
#include "platform/trace.h"

namespace qv {

std::wstring ResolveAddress(std::wstring_view entry) {
  return SafeAddress(entry, ReadInstallDir().value_or(L""));
}

std::wstring TutorialAddress() { return ResolveAddress(kTutorialPage); }

std::wstring FirstRunTutorialAddress() {
  return ResolveAddress(CTextBundle(kMainSection).GetText(L"TutorialURL"));
}

void OpenAddress(const std::wstring& address) noexcept {
  if (!address.empty())
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenTutorial() noexcept {
  try {
    OpenAddress(TutorialAddress());
  } catch (...) {
    platform::TraceFailure(L"opening the tutorial page");
  }
}

}  // namespace qv
