// The splash picture shown during start-up. It closes itself after two seconds; clicks and keys
// do not end it, so start-up always waits the full time.
#pragma once

#include "resources/dialogs/splash_res.h"
#include "app/ui/window.h"

namespace qv {

class CSplashDlg : public ui::CDialogImpl<CSplashDlg> {
 public:
  enum { IDD = IDD_SPLASH };
  static constexpr UINT_PTR kTimerId = 100;
  static constexpr UINT kShowMs = 2000;

  std::span<const ui::MsgEntry<CSplashDlg>> MessageTable();

 private:
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM);
  LRESULT OnTimer(UINT, WPARAM, LPARAM);
};

}  // namespace qv
