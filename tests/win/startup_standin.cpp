// The real start-up run around a stand-in main window titled "QV Settings", which the tray's
// E&xit command (57665) ends as the main dialog does. Used until the program's own main dialog
// is there to drive.
#include <windows.h>

#include "tiplex/startup.h"
#include "tiplex/startup_run.h"
#include "tiplex/ui/window.h"

namespace {

class CStandInMain : public qv::ui::CWindowImpl<CStandInMain> {
 public:
  static constexpr wchar_t kClassName[] = L"QvStartupStandIn";
  HWND Create(HWND owner) {
    return CWindowImpl::Create(owner, L"QV Settings", WS_OVERLAPPEDWINDOW);
  }
  ~CStandInMain() override { DestroyWindow(); }
  std::span<const qv::ui::MsgEntry<CStandInMain>> MessageTable() {
    static constexpr qv::ui::MsgEntry<CStandInMain> kTable[] = {
        qv::ui::OnCommand<CStandInMain>(57665, &CStandInMain::OnExit),
    };
    return kTable;
  }

 private:
  LRESULT OnExit(UINT, WPARAM, LPARAM) {
    DestroyWindow();
    PostQuitMessage(0);
    return 0;
  }
};

}  // namespace

int qv::startup::Run(std::wstring_view tail, int show) { return RunWith<CStandInMain>(tail, show); }

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR tail, int) {
  return qv::startup::ProcessEntry(instance, tail, qv::startup::StartupShowCommand());
}
