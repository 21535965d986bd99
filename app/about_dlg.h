// The About dialog: the program's name and version, the WordNet 3.0 notice and the maker's
// line, localized through the text bundle's section "About". OK, Enter, Esc and the close box
// end it with the button's identifier.
#pragma once

#include "resources/dialogs/about_res.h"
#include "app/ui/window.h"

namespace qv {

class CAboutDlg : public ui::CDialogImpl<CAboutDlg> {
 public:
  enum { IDD = IDD_ABOUTBOX };

  std::span<const ui::MsgEntry<CAboutDlg>> MessageTable();

 private:
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM);
  LRESULT OnCloseCmd(UINT, WPARAM, LPARAM);
};

// Modal, owned by `owner`; returns when the dialog closes.
void ShowAbout(HWND owner) noexcept;

}  // namespace qv
