// Figures, printed and never asserted: the time from starting the program quietly (tail "1", no
// splash) to its main dialog existing and to its message loop waiting for input (the main
// dialog's initialisation done: tray icon, hook, capture component), medians of several starts,
// and the program's memory once started. Each start runs to its window, settles a second, and ends through the tray's E&xit.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/settings.h"
#include "platform/registry.h"
#include "tests/win/program_driver.h"

namespace {

using qv::platform::Hive;
using qv::platform::RegKey;

// The installation's registry values for the runs, restored afterwards.
class InstallValues {
 public:
  explicit InstallValues(const std::wstring& target) {
    RegKey key = RegKey::Create(Hive::LocalMachine, qv::kMainKeyPath);
    for (const wchar_t* name : kNames) m_saved.push_back(key.ReadWide(name, 520));
    key.WriteWide(L"Target", target);
    key.WriteWide(L"QVLang", L"fr");
    key.WriteWide(L"Tut", L"1");
  }
  ~InstallValues() {
    RegKey key = RegKey::Create(Hive::LocalMachine, qv::kMainKeyPath);
    for (size_t i = 0; i < std::size(kNames); ++i) {
      if (m_saved[i]) key.WriteWide(kNames[i], *m_saved[i]);
      else key.DeleteValue(kNames[i]);
    }
  }

 private:
  static constexpr const wchar_t* kNames[] = {L"Target", L"QVLang", L"Tut"};
  std::vector<std::optional<std::wstring>> m_saved;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace qv::test;
  if (argc < 3) {
    fprintf(stderr, "usage: startup_bench PROGRAM.exe INSTALL_DIR [RUNS]\n");
    return 2;
  }
  const std::wstring program = argv[1];
  const InstallValues values(argv[2]);
  const int runs = argc > 3 ? _wtoi(argv[3]) : 7;
  std::vector<long long> ms, readyMs;
  std::vector<double> workingMb;
  for (int i = 0; i < runs; ++i) {
    Started s;
    Start(s, program, L"1");
    if (!s.settings) {
      fprintf(stderr, "run %d: no main dialog (exit code %lu)\n", i + 1, s.exitCode);
      return 1;
    }
    ms.push_back(s.toMainDialog.count());
    WaitForInputIdle(s.pi.hProcess, 10000);
    readyMs.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - s.t0).count());
    Sleep(1000);
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(s.pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                             sizeof pmc)) {
      workingMb.push_back(pmc.WorkingSetSize / 1048576.0);  // Wine reports no private bytes
    }
    printf("run %d: main dialog after %lld ms, waiting for input after %lld ms\n", i + 1,
           static_cast<long long>(s.toMainDialog.count()), readyMs.back());
    if (!s.Exit()) fprintf(stderr, "run %d: did not end with 0\n", i + 1);
  }
  auto median = [](auto v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];  // never empty: every run either measured or returned
  };
  printf("start-up to main dialog (tail \"1\"): median %lld ms of %d runs (min %lld, max %lld)\n",
         median(ms), runs, *std::min_element(ms.begin(), ms.end()),
         *std::max_element(ms.begin(), ms.end()));
  printf("start-up to the message loop waiting for input: median %lld ms\n", median(readyMs));
  if (!workingMb.empty())
    printf("memory a second after start: working set %.1f MB (median)\n", median(workingMb));
  return 0;
}
