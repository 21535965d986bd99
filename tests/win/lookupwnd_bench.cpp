// Figures of the look-up window under Wine, printed and never asserted: from the command to the
// window drawn with the history in its list, the same with a word looked up, the word list read
// in the background, and from a typed two-letter prefix (every one, aa ... zz) to its suggestion
// list in the window's list box.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/lookup/lookup_services.h"
#include "core/settings.h"
#include "platform/registry.h"
#include "tests/win/bench_data.h"
#include "app/lookup_window.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// The window's own services; nothing is captured and no popup is shown here.
struct NoCapture : qv::ITextCapture, qv::IMessageBox, qv::IPopup {
  bool CreateRequest() override { return false; }
  Result Capture(std::uint32_t, std::wstring_view) override { return {}; }
  void Show(const std::wstring&, const std::wstring&, Kind) override {}
  void Show(const std::wstring&, const std::wstring&) override {}
};

}  // namespace

int wmain() {
  qv::test::PointAtGeneratedData();

  NoCapture none;
  qv::CStoreDictionary dictionary;
  qv::CBundleCaptions captions;
  qv::CWordNetAnalysis lexical;
  qv::CLookup lookup({none, none, none, dictionary, captions, lexical});
  lookup.Compose(L"warm");  // the database opens once per process, before any window does
  qv::CHistory history(qv::UserHistoryPath());
  history.Load();
  qv::CLookupWindow window(lookup, history);

  std::vector<double> open, openWord;
  for (int i = 0; i < 10; ++i) {
    const auto t0 = Clock::now();
    window.Open(L"");
    UpdateWindow(window.m_hwnd);
    open.push_back(Ms(t0, Clock::now()));
    const auto t1 = Clock::now();
    window.DestroyWindow();
    window.Open(L"houses");
    UpdateWindow(window.m_hwnd);
    openWord.push_back(Ms(t1, Clock::now()));
    Pump();
    window.DestroyWindow();
  }
  std::sort(open.begin(), open.end());
  std::sort(openWord.begin(), openWord.end());
  std::printf("window open, history listed: median %.1f ms  max %.1f ms\n", open[5], open.back());
  std::printf("window open with a word looked up: median %.1f ms  max %.1f ms\n", openWord[5],
              openWord.back());

  const auto t0 = Clock::now();
  window.Open(L"");
  HWND edit = GetDlgItem(window.m_hwnd, qv::CLookupWindow::kWord);
  SetWindowTextW(edit, L"ho");
  while (window.ListedWords().empty() && Ms(t0, Clock::now()) < 60000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Pump();
  }
  std::printf("word list read in the background: %.0f ms after the window opened\n",
              Ms(t0, Clock::now()));

  std::vector<double> times;
  for (int round = 0; round < 3; ++round)
    for (wchar_t a = L'a'; a <= L'z'; ++a)
      for (wchar_t b = L'a'; b <= L'z'; ++b) {
        const wchar_t prefix[] = {a, b, 0};
        const auto s = Clock::now();
        SetWindowTextW(edit, prefix);  // EN_CHANGE: the suggestions fill the list box
        times.push_back(Ms(s, Clock::now()));
        Pump();
      }
  std::sort(times.begin(), times.end());
  auto at = [&](double q) { return times[static_cast<size_t>(q * (times.size() - 1))]; };
  std::printf("typed two-letter prefix to its list in the window (676 x 3): median %.2f ms  "
              "p90 %.2f ms  max %.2f ms\n", at(0.5), at(0.9), times.back());
  window.DestroyWindow();
  return 0;
}
