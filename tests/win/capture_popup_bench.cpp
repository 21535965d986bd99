// Timings under Wine, printed, never asserted: the engine's Capture over an EDIT control of
// another process (capture_host.exe), small and of 16 million characters, and the popup's Create + SetMaxWidth + SetText +
// ShowAtCursor with a realistic body.
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/win/capture_host_window.h"
#include "app/tooltip.h"
#include "capture/wcapture.h"

using qv::CTooltip;

namespace {

using Clock = std::chrono::steady_clock;

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  auto at = [&](double q) { return ms[static_cast<size_t>(q * (ms.size() - 1))]; };
  std::printf("%-52s n=%zu  median %.3f ms  p90 %.3f ms  p99 %.3f ms  min %.3f ms  max %.3f ms\n",
              what, ms.size(), at(0.5), at(0.9), at(0.99), ms.front(), ms.back());
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

constexpr wchar_t kBody[] =
    L"[run]\nFR: courir, faire marcher\r\n\n[run]\n"
    L"-verb\t\t\t\tcourir, diriger\n"
    L"1. run -- (move fast by using one's feet; \"Don't run--you'll be out of breath\")\n"
    L"2. scat, run, scarper, turn tail -- (flee; take to one's heels; cut and run)\n"
    L"3. go, pass, lead, extend -- (stretch out over a distance, space, time, or scope)\n"
    L"\n-noun\t\t\t\tcourse & parcours\n"
    L"1. run, tally -- (a score in baseball made by a runner touching all four bases safely)\n"
    L"2. test, trial, run -- (the act of testing something)\n"
    L"* See Help Page for Pronounciation examples and references"
    L"\n\t\t\t\t\t\t\t\t<A>Disable QV</A>";

struct Host {
  PROCESS_INFORMATION pi{};
  HWND window = nullptr;
};

// capture_host.exe with `args`, and its window of class `cls`, titled after `name` and this
// process.
Host StartHost(const std::wstring& dir, const wchar_t* cls, const wchar_t* name,
               const wchar_t* args) {
  const std::wstring title = L"QV bench " + std::wstring(name) + L" " +
                             std::to_wstring(GetCurrentProcessId());
  Host h;
  std::wstring cmd = L"\"" + dir + L"capture_host.exe\" \"" + title + L"\" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &h.pi))
    return h;
  for (int i = 0; i < 1200 && !h.window; ++i) {
    h.window = FindWindowW(cls, title.c_str());
    if (!h.window) Sleep(50);
  }
  if (h.window) WaitForInputIdle(h.pi.hProcess, 60000);
  return h;
}

void StopHost(Host& h) {
  if (!h.pi.hProcess) return;
  if (h.window) PostMessageW(h.window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(h.pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(h.pi.hProcess, 1);
  CloseHandle(h.pi.hProcess);
  CloseHandle(h.pi.hThread);
}

// Captures at `pt` n times; prints the text of the last one and the timings.
void TimeCaptures(IWCapture* engine, POINT pt, int n, const char* what, SHORT options = WCO_WORD) {
  std::vector<double> capture;
  std::wstring text;
  for (int i = 0; i < n; ++i) {
    IWInput* in = nullptr;
    CoCreateInstance(CLSID_WInput, nullptr, CLSCTX_ALL, IID_IWInputRequest, reinterpret_cast<void**>(&in));
    in->put_hWnd(static_cast<LONG>(reinterpret_cast<LONG_PTR>(WindowFromPoint(pt))));
    in->put_FromX(pt.x);
    in->put_FromY(pt.y);
    in->put_Options(options);
    IWCaptureResult* r = nullptr;
    const auto t0 = Clock::now();
    engine->Capture(in, &r);
    capture.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    BSTR b = nullptr;
    if (r) r->get_Text(&b);
    text.assign(b ? b : L"", SysStringLen(b));
    SysFreeString(b);
    if (r) r->Release();
    in->Release();
  }
  std::printf("captured: \"%ls\"\n", text.c_str());
  Report(what, capture);
}

// The engine, or null with a word on what failed.
IWCapture* CreateEngine(const Host& host, const char* what) {
  IWCapture* engine = nullptr;
  if (!host.window || FAILED(CoCreateInstance(CLSID_WCapture, nullptr, CLSCTX_ALL, IID_IWCapture,
                                              reinterpret_cast<void**>(&engine)))) {
    std::printf("no %s host window or no engine\n", what);
    return nullptr;
  }
  return engine;
}

// The point over the character at `index` of an EDIT control, in screen coordinates.
POINT PointOfChar(HWND edit, WPARAM index) {
  DWORD_PTR pos = 0;
  SendMessageTimeoutW(edit, EM_POSFROMCHAR, index, 0, SMTO_ABORTIFHUNG, 5000, &pos);
  POINT pt{static_cast<short>(LOWORD(pos)) + 2, static_cast<short>(HIWORD(pos)) + 5};
  ClientToScreen(edit, &pt);
  return pt;
}

// The word "world" of the host's single-line EDIT: the whole request, then the capture with
// and without the line around the word, in turns.
bool BenchEdit(const std::wstring& dir) {
  Host host = StartHost(dir, L"QvCaptureHost", L"host", L"");
  IWCapture* engine = CreateEngine(host, "small");
  if (engine) {
    const POINT pt = PointOfChar(GetDlgItem(host.window, qv::test::kEdit), 8);
    std::vector<double> capture, whole;
    std::wstring text;
    for (int i = 0; i < 300; ++i) {
      IWInput* in = nullptr;
      const auto t0 = Clock::now();
      CoCreateInstance(CLSID_WInput, nullptr, CLSCTX_ALL, IID_IWInputRequest, reinterpret_cast<void**>(&in));
      in->put_hWnd(static_cast<LONG>(reinterpret_cast<LONG_PTR>(WindowFromPoint(pt))));
      in->put_FromX(pt.x);
      in->put_FromY(pt.y);
      in->put_ToX(pt.x);
      in->put_ToY(pt.y);
      in->put_Options(0x0001);
      IWCaptureResult* r = nullptr;
      const auto t1 = Clock::now();
      engine->Capture(in, &r);
      const auto t2 = Clock::now();
      BSTR b = nullptr;
      r->get_Text(&b);
      text.assign(b ? b : L"", SysStringLen(b));
      SysFreeString(b);
      r->Release();
      in->Release();
      const auto t3 = Clock::now();
      capture.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
      whole.push_back(std::chrono::duration<double, std::milli>(t3 - t0).count());
    }
    std::printf("captured: \"%ls\"\n", text.c_str());
    Report("Capture, EDIT of another process", capture);
    Report("request + Capture + get_Text, EDIT of another process", whole);
    for (int round = 0; round < 3; ++round) {
      TimeCaptures(engine, pt, 100, "Capture, the word alone", WCO_WORD);
      TimeCaptures(engine, pt, 100, "Capture, the word and its line", WCO_WORD | WCO_CONTEXT);
    }
    engine->Release();
  }
  StopHost(host);
  return engine != nullptr;
}

// A document of 16 million characters: only the line under the pointer should travel. Also
// what single questions cost there: the control finds a line by walking to it.
bool BenchBigDocument(const std::wstring& dir) {
  Host big = StartHost(dir, qv::test::kBigEditClass, L"big", L"--big");
  IWCapture* engine = CreateEngine(big, "big");
  if (engine) {
    HWND edit = GetDlgItem(big.window, qv::test::kBigEdit);
    LRESULT first = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    LRESULT start = SendMessageW(edit, EM_LINEINDEX, first + 1, 0);  // "ipsum" of the second line
    const POINT pt = PointOfChar(edit, start + 8);
    std::printf("document: %d characters\n", static_cast<int>(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0)));
    TimeCaptures(engine, pt, 40, "Capture, 16M-character EDIT of another process");
    TimeCaptures(engine, pt, 40, "Capture with its line, 16M-character EDIT", WCO_WORD | WCO_CONTEXT);
    POINT client = pt;
    ScreenToClient(edit, &client);
    auto time = [&](const char* what, UINT msg, WPARAM wp, LPARAM lp) {
      std::vector<double> ms;
      for (int i = 0; i < 40; ++i) {
        DWORD_PTR r = 0;
        const auto t0 = Clock::now();
        SendMessageTimeoutW(edit, msg, wp, lp, SMTO_ABORTIFHUNG, 1000, &r);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
      }
      Report(what, ms);
    };
    time("  EM_CHARFROMPOS", EM_CHARFROMPOS, 0, MAKELPARAM(client.x, client.y));
    time("  EM_LINEINDEX", EM_LINEINDEX, first + 1, 0);
    time("  EM_POSFROMCHAR", EM_POSFROMCHAR, start + 8, 0);
    time("  WM_GETTEXTLENGTH", WM_GETTEXTLENGTH, 0, 0);
    engine->Release();
  }
  StopHost(big);
  return engine != nullptr;
}

// A program slow to answer: the capture keeps to its budget of time.
bool BenchSlowProgram(const std::wstring& dir) {
  Host slow = StartHost(dir, L"QvCaptureHost", L"slow", L"--slow");
  IWCapture* engine = CreateEngine(slow, "slow");
  if (engine) {
    const POINT pt = PointOfChar(GetDlgItem(slow.window, qv::test::kEdit), 8);
    char what[96];
    std::snprintf(what, sizeof what, "Capture, EDIT answering %lu ms late",
                  static_cast<unsigned long>(qv::test::kSlowEditMs));
    TimeCaptures(engine, pt, 10, what);
    engine->Release();
  }
  StopHost(slow);
  return engine != nullptr;
}

// The popup, as a look-up shows it.
void BenchPopup() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"QvBenchOwner";
  RegisterClassW(&wc);
  HWND owner = CreateWindowExW(0, wc.lpszClassName, L"owner", WS_OVERLAPPEDWINDOW, 600, 500, 200,
                               100, nullptr, nullptr, wc.hInstance, nullptr);
  SetCursorPos(200, 150);
  CTooltip tip;
  std::vector<double> popup;
  for (int i = 0; i < 200; ++i) {
    const auto t0 = Clock::now();
    tip.Create(owner, L"run  r\x028Cn *");
    tip.SetMaxWidth(500);
    tip.SetText(kBody);
    tip.ShowAtCursor();
    const auto t1 = Clock::now();
    popup.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    Pump();
  }
  Report("popup Create + SetMaxWidth + SetText + ShowAtCursor", popup);
  tip.Destroy();
  DestroyWindow(owner);
}

}  // namespace

int wmain() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir = path;
  dir = dir.substr(0, dir.find_last_of(L"\\/") + 1);
  int rc = 0;
  if (!BenchEdit(dir)) rc = 1;
  if (!BenchBigDocument(dir)) rc = 1;
  if (!BenchSlowProgram(dir)) rc = 1;
  BenchPopup();
  CoUninitialize();
  return rc;
}
