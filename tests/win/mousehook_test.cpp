// The mouse hook on its thread of its own, under Wine with injected input: while the main thread
// is inside a look-up made slow on purpose, every pointer movement still reaches the hook, whose
// messages wait in the main thread's queue; and a hook removed behind the watchdog's back is put
// back once the pointer moves again.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "core/lookup/lookup.h"
#include "app/mouse_hook.h"

namespace qv {
namespace {

void MovePointer(int dx) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = dx;
  in.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &in, sizeof in);
}

// The hook's messages waiting in this thread's queue for the window, taken out.
int TakeHookMessages(HWND target) {
  int n = 0;
  MSG msg;
  const UINT id = MouseHook::Instance().Message();
  while (PeekMessageW(&msg, target, id, id, PM_REMOVE)) ++n;
  return n;
}

struct Fixture : ::testing::Test {
  static void SetUpTestSuite() {
    target = CreateWindowExW(0, L"STATIC", L"hook target", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             nullptr, nullptr);
    ASSERT_TRUE(target);
    SetCursorPos(300, 300);
    MouseHook::Instance().Install(target);
    for (int i = 0; i < 500 && !MouseHook::Instance().Installed(); ++i) Sleep(10);
    ASSERT_TRUE(MouseHook::Instance().Installed());
  }
  static inline HWND target = nullptr;
};

// A dictionary whose look-up lasts as long as the pointer keeps moving: 40 movements, one every
// 10 ms, from another thread. It counts the events the hook saw meanwhile.
struct SlowDictionary : IDictionary {
  unsigned long seenDuringLookup = 0;
  std::wstring Lookup(DictSource, const std::wstring&) override {
    const unsigned long before = MouseHook::Instance().Events();
    std::thread mover([] {
      for (int i = 0; i < 40; ++i) {
        MovePointer(i % 2 ? 3 : -3);
        Sleep(10);
      }
    });
    mover.join();
    seenDuringLookup = MouseHook::Instance().Events() - before;
    return L"";
  }
};

struct Quiet : ITextCapture, IMessageBox, IPopup, ICaptions, ILexicalAnalysis {
  bool CreateRequest() override { return true; }
  Result Capture(std::uint32_t, std::wstring_view) override { return {L"ear", std::nullopt}; }
  void Show(const std::wstring&, const std::wstring&, Kind) override {}
  void Show(const std::wstring&, const std::wstring&) override {}
  std::wstring GetText(std::wstring_view) override { return L""; }
  std::optional<std::string> DescribeWord(std::string) override { return "-noun#NOUN#\n1. Ear.\n"; }
  std::optional<std::string> BaseForm(std::string) override { return std::nullopt; }
};

TEST_F(Fixture, TheHookKeepsPostingWhileTheMainThreadIsInALookup) {
  TakeHookMessages(target);
  SlowDictionary dict;
  Quiet q;
  CLookup(LookupServices{q, q, q, dict, q, q}).LookupUnderCursor();
  EXPECT_GE(dict.seenDuringLookup, 40u);
  EXPECT_GE(TakeHookMessages(target), 40);  // delivered, in order, once the thread is free
}

TEST_F(Fixture, TheWatchdogPutsARemovedHookBack) {
  MouseHook::Instance().RemoveHookBehindWatchdog();
  Sleep(200);
  const unsigned long events = MouseHook::Instance().Events();
  MovePointer(5);
  Sleep(50);
  EXPECT_EQ(MouseHook::Instance().Events(), events);  // removed: the hook sees nothing
  // The watchdog acts once the hook was silent for a while and the pointer moved meanwhile.
  const DWORD deadline = GetTickCount() + 15000;
  for (int i = 0; MouseHook::Instance().Reinstalls() == 0 && GetTickCount() < deadline; ++i) {
    MovePointer(i % 2 ? 4 : -4);
    Sleep(100);
  }
  EXPECT_EQ(MouseHook::Instance().Reinstalls(), 1u);
  const unsigned long after = MouseHook::Instance().Events();
  MovePointer(5);
  Sleep(100);
  EXPECT_GT(MouseHook::Instance().Events(), after);
}

}  // namespace
}  // namespace qv
