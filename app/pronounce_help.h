// The pronunciation guide: a picture of the symbols used in the pronunciations, with example
// words. Only the close box and the system menu's Close end it (Enter and Esc do nothing).
#pragma once

#include "resources/dialogs/pronounce_res.h"
#include "app/ui/window.h"

namespace qv {

class CPronounceHelp : public ui::CDialogImpl<CPronounceHelp> {
 public:
  enum { IDD = IDD_PRONOUNCE };

  std::span<const ui::MsgEntry<CPronounceHelp>> MessageTable();

 private:
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM);
  LRESULT OnClose(UINT, WPARAM, LPARAM);
};

// Modal, owned by `owner`; returns when the guide closes.
void ShowPronounceHelp(HWND owner) noexcept;

}  // namespace qv
