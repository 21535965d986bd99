#include "app/pronounce_help.h"

#include "app/ui/center_window.h"
#include "app/ui/fit_picture.h"

namespace qv {

using ui::MsgEntry;
using ui::OnMessage;

std::span<const MsgEntry<CPronounceHelp>> CPronounceHelp::MessageTable() {
  static constexpr MsgEntry<CPronounceHelp> kTable[] = {
      OnMessage<CPronounceHelp>(WM_INITDIALOG, &CPronounceHelp::OnInitDialog),
      OnMessage<CPronounceHelp>(WM_CLOSE, &CPronounceHelp::OnClose),
  };
  return kTable;
}

// Only the picture's size: the caption stays as the template has it.
LRESULT CPronounceHelp::OnInitDialog(UINT, WPARAM, LPARAM) {
  ui::FitDialogToPicture(m_hwnd, GetWindow(m_hwnd, GW_CHILD));
  ui::CenterWindow(m_hwnd, /*onOwner=*/false);
  return TRUE;
}

LRESULT CPronounceHelp::OnClose(UINT, WPARAM, LPARAM) {
  EndDialog(IDCANCEL);
  return 0;
}

void ShowPronounceHelp(HWND owner) noexcept {
  CPronounceHelp dlg;
  dlg.DoModal(owner);
}

}  // namespace qv
