#include "app/localize.h"

#include <string>

#include "core/dictionary/text_bundle.h"
#include "platform/trace.h"

namespace qv {
namespace {

void LocalizeItems(const CTextBundle& local, HMENU menu) {
  int count = GetMenuItemCount(menu);
  for (int pos = 0; pos < count; ++pos) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info)) continue;
    if (!(info.fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW))) {
      wchar_t buffer[1024] = {};
      if (GetMenuStringW(menu, static_cast<UINT>(pos), buffer, 1024, MF_BYPOSITION) > 0) {
        std::wstring localized = local.GetText(buffer);
        // Only the text: the identifier, the submenu and the checked or grayed state stay.
        MENUITEMINFOW text{};
        text.cbSize = sizeof text;
        text.fMask = MIIM_STRING;
        text.dwTypeData = localized.data();
        SetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &text);
      }
    }
    if (info.hSubMenu) LocalizeItems(local, info.hSubMenu);
  }
}

void LocalizeText(const CTextBundle& local, HWND wnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(wnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(wnd, text.data(), static_cast<int>(text.size()))));
  SetWindowTextW(wnd, local.GetText(text).c_str());
}

}  // namespace

void LocalizeMenu(HMENU menu) noexcept {
  try {
    CTextBundle local(kMainSection);
    LocalizeItems(local, menu);
  } catch (...) {
    // Out of memory while translating: the menu keeps the texts it has.
    platform::TraceFailure(L"translating a menu");
  }
}

void LocalizeWindow(HWND wnd, std::wstring_view section, std::initializer_list<int> items) noexcept {
  try {
    const CTextBundle local(section);
    LocalizeText(local, wnd);
    for (int id : items) LocalizeText(local, GetDlgItem(wnd, id));
  } catch (...) {
    // The texts not reached keep their English.
    platform::TraceFailure(L"translating a window's texts");
  }
}

}  // namespace qv
