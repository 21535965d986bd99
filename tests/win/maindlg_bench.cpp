// Figures of the running program's look-up under Wine, printed and never asserted: from a tick of
// the hover timer with the hot key held to the popup on screen (the pointer alternating between
// two words, so that every tick shows a new popup), a tick over the same word (the popup is left
// as it is), the mouse hook procedure's cost per event, and the process's private memory after
// start and after 1,000 look-ups. Run by maindlg_bench.sh, which holds Ctrl down.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/activation.h"
#include "core/dictionary/data_cache.h"
#include "core/settings.h"
#include "platform/registry.h"
#include "tests/win/bench_data.h"
#include "tests/win/capture_host_window.h"
#include "app/main_dlg.h"
#include "app/mouse_hook.h"

namespace {

// The hot-key state code of the keys held now.
int HeldKeyCode() {
  return qv::KeyStateCode([](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; });
}

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

void Report(const char* what, std::vector<double> v, const char* unit = "ms") {
  std::sort(v.begin(), v.end());
  auto at = [&](double q) { return v[static_cast<size_t>(q * (v.size() - 1))]; };
  std::printf("%-46s n=%zu  median %.3f %s  p90 %.3f %s  max %.3f %s\n", what, v.size(), at(0.5),
              unit, at(0.9), unit, v.back(), unit);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Private bytes where the system counts them; Wine reports the committed pages instead.
double PrivateMB() {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                       sizeof pmc);
  const SIZE_T bytes = pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
  return bytes / (1024.0 * 1024.0);
}

}  // namespace

int wmain() {
  CoInitialize(nullptr);
  qv::test::PointAtGeneratedData();
  qv::ui::CMessageLoop loop;
  qv::ui::AppModule().AddMessageLoop(&loop);

  HWND host = qv::test::CreateHostWindow(L"QV bench host", 40, 40);
  HWND edit = GetDlgItem(host, qv::test::kEdit);
  auto wordAt = [&](int index) {
    LRESULT pos = SendMessageW(edit, EM_POSFROMCHAR, index, 0);
    POINT pt{static_cast<short>(LOWORD(pos)) + 3, static_cast<short>(HIWORD(pos)) + 5};
    ClientToScreen(edit, &pt);
    return pt;
  };
  const POINT words[] = {wordAt(1), wordAt(8)};  // "Hello", "(world),"

  auto* dlg = new qv::CMainDlg;  // left to the process's end, as the program's own
  if (!dlg->Create(nullptr)) {
    std::printf("the main dialog was not created\n");
    return 1;
  }
  Pump();
  const double afterStart = PrivateMB();
  HWND h = dlg->m_hwnd;
  for (int i = 0; i < 200 && HeldKeyCode() != 2; ++i) Sleep(100);
  if (HeldKeyCode() != 2) {
    std::printf("Ctrl must be held (maindlg_bench.sh holds it)\n");
    return 1;
  }

  auto tick = [&] { SendMessageW(h, WM_TIMER, qv::kHoverTimerId, 0); };
  std::vector<double> fresh, same;
  for (int i = 0; i < 1000; ++i) {
    SetCursorPos(words[i % 2].x, words[i % 2].y);
    const auto t0 = Clock::now();
    tick();  // the look-up runs to its end and the popup is on screen when this returns
    const auto t1 = Clock::now();
    if (!IsWindowVisible(dlg->Popup().hwnd())) {
      wchar_t text[200] = {};
      GetWindowTextW(dlg->Popup().hwnd(), text, 200);
      std::printf("no popup after tick %d (%p, enabled %d, \"%ls\")\n", i,
                  static_cast<void*>(dlg->Popup().hwnd()), dlg->Enabled(), text);
      return 1;
    }
    fresh.push_back(Ms(t0, t1));
    Pump();
  }
  const double after1000 = PrivateMB();
  for (int i = 0; i < 200; ++i) {
    const HWND before = dlg->Popup().hwnd();
    const auto t0 = Clock::now();
    tick();
    same.push_back(Ms(t0, Clock::now()));
    if (dlg->Popup().hwnd() != before) std::printf("the popup was re-created over the same word\n");
    Pump();
  }

  // The hook procedure as the system calls it, drained between batches so that the queue never
  // fills.
  std::vector<double> hook;
  MSLLHOOKSTRUCT ms{};
  for (int batch = 0; batch < 20; ++batch) {
    const auto t0 = Clock::now();
    for (int i = 0; i < 1000; ++i)
      qv::MouseHookBase::HookProc(HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&ms));
    hook.push_back(Ms(t0, Clock::now()));  // ms per 1,000 events = µs per event
    Pump();
  }

  Report("hover tick to popup shown (new word)", fresh);
  Report("hover tick over the same word (popup kept)", same);
  Report("hook procedure, per event", hook, "us");
  std::printf("private memory: after start %.1f MB, after 1,000 look-ups %.1f MB, after 1,200 %.1f MB\n",
              afterStart, after1000, PrivateMB());
  std::printf("of which the data cache (files and block indexes kept): %.0f KiB\n",
              qv::SharedDataCache().MemoryBytes() / 1024.0);
  std::fflush(stdout);
  std::_Exit(0);  // the program ends without tearing down its dialog, as QV's Exit does
}
