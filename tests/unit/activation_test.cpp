// The activation decisions against a fake key state, a fake popup and a fake look-up: which
// events become look-ups, which close the popup, and what the timer does.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "core/activation.h"

namespace qv {
namespace {

struct Host : IActivationHost {
  std::set<int> down;  // virtual keys held
  bool overPopup = false, popupOpen = true, check = true, delayField = false;
  int lookups = 0, timerDelay = -1;  // -1: timer killed or never set
  std::pair<int, int> pointer{100, 100};
  std::wstring toggleText = L"Désactiver";

  bool KeyDown(int key) override { return down.count(key) > 0; }
  std::pair<int, int> CursorPosition() override { return pointer; }
  bool CursorOverPopup() override { return overPopup; }
  void ClosePopup() override { popupOpen = false; }
  void LookupUnderCursor() override { ++lookups; }
  void SetHoverTimer(int ms) override { timerDelay = ms; }
  void KillHoverTimer() override { timerDelay = -1; }
  void EnableDelayField(bool e) override { delayField = e; }
  void SetEnableCheck(bool c) override { check = c; }
  void SetToggleItemText(const std::wstring& t) override { toggleText = t; }
  std::wstring GetText(std::wstring_view key) override {
    return key == L"Enable" ? L"Activer" : key == L"Disable" ? L"Désactiver" : L"";
  }
};

class Activation : public ::testing::Test {
 protected:
  Activation() {
    act.Start();
    act.ApplyTrigger();
  }
  // Runs one timer tick with exactly these keys held; returns whether it looked up.
  bool TickWith(std::set<int> keys, std::uintptr_t id = kHoverTimerId) {
    host.down = std::move(keys);
    const int before = host.lookups;
    act.OnHoverTimer(id);
    return host.lookups > before;
  }
  Host host;
  CActivation act{host};
};

TEST_F(Activation, StateCodesCombineByBitwiseOr) {
  auto code = [](std::set<int> keys) {
    return KeyStateCode([&](int k) { return keys.count(k) > 0; });
  };
  EXPECT_EQ(0, code({}));
  EXPECT_EQ(6, code({vk::kControl, vk::kShift}));
  EXPECT_EQ(119, code({vk::kF8, vk::kControl, vk::kMenu, vk::kShift}));
  EXPECT_EQ(127, code({vk::kF8, vk::kRWin}));
  EXPECT_EQ(81, code({vk::kQ}));
  EXPECT_EQ(81, code({vk::kQ, vk::kMenu}));
}

TEST_F(Activation, HoverLooksUpAtEveryTickWhileTheHotKeyIsHeldExactly) {
  EXPECT_EQ(kStartHoverDelay, host.timerDelay);  // armed with the start values
  EXPECT_TRUE(host.delayField);
  EXPECT_TRUE(TickWith({vk::kControl}));
  EXPECT_TRUE(TickWith({vk::kControl}));
  EXPECT_FALSE(TickWith({vk::kControl, vk::kShift}));
  EXPECT_FALSE(TickWith({vk::kControl, vk::kMenu}));
  EXPECT_FALSE(TickWith({}));
  EXPECT_FALSE(TickWith({vk::kControl}, 100));  // another timer
  EXPECT_EQ(kStartHoverDelay, host.timerDelay);   // releasing the key does not stop the timer

  act.Select(kHover, 2);  // F8
  EXPECT_TRUE(TickWith({vk::kF8, vk::kControl}));
  EXPECT_TRUE(TickWith({vk::kF8, vk::kShift, vk::kMenu}));
  EXPECT_FALSE(TickWith({vk::kF8, vk::kLWin}));
  act.Select(kHover, 4);  // Alt+Q
  EXPECT_TRUE(TickWith({vk::kQ}));
  EXPECT_TRUE(TickWith({vk::kQ, vk::kMenu}));
}

TEST_F(Activation, HoverMovesRestartTheTimerAndClicksOutsideThePopupCloseIt) {
  act.SetHoverDelay(300);
  act.OnMouseHookMsg(mouse::kWheel);
  EXPECT_EQ(300, host.timerDelay);
  host.overPopup = true;
  act.OnMouseHookMsg(mouse::kLButtonDown);
  EXPECT_TRUE(host.popupOpen);
  host.overPopup = false;
  host.down = {vk::kControl};
  act.OnMouseHookMsg(mouse::kRButtonDown);
  EXPECT_FALSE(host.popupOpen);
  EXPECT_EQ(0, host.lookups);  // a click in hover mode never looks up
}

TEST_F(Activation, ClickSequencesLookupOnTheirButtonAndCloseThePopupOnOtherEvents) {
  act.OnActivationSequenceChanged(4);  // left click + Alt
  EXPECT_EQ(kLeftClick, act.CurrentTrigger());
  EXPECT_EQ(5, act.CurrentHotKey());
  EXPECT_EQ(-1, host.timerDelay);  // killed at once
  host.down = {vk::kMenu};
  act.OnMouseHookMsg(mouse::kLButtonDown);
  act.OnMouseHookMsg(mouse::kLButtonUp);  // the hand releases the button before the key
  EXPECT_TRUE(host.popupOpen);
  act.OnMouseHookMsg(mouse::kRButtonDown);
  EXPECT_EQ(1, host.lookups);
  EXPECT_FALSE(host.popupOpen);  // the right button, outside the popup

  act.OnActivationSequenceChanged(5);  // right click + Ctrl
  host.popupOpen = true;
  host.down = {vk::kControl};
  act.OnMouseHookMsg(mouse::kRButtonDown);
  EXPECT_EQ(2, host.lookups);
  host.overPopup = true;
  host.pointer = {120, 130};
  act.OnMouseHookMsg(mouse::kMove);
  EXPECT_TRUE(host.popupOpen);
  host.overPopup = false;
  host.down = {};
  host.pointer = {140, 150};
  act.OnMouseHookMsg(mouse::kMove);  // without the hot key nothing happens
  EXPECT_TRUE(host.popupOpen);
  host.down = {vk::kControl};
  act.OnMouseHookMsg(mouse::kMove);  // reported without the pointer moving
  EXPECT_TRUE(host.popupOpen);
  host.pointer = {101, 100};
  act.OnMouseHookMsg(mouse::kMove);
  EXPECT_FALSE(host.popupOpen);

  act.OnActivationSequenceChanged(1);  // back to hover, F8: the timer is re-armed
  EXPECT_EQ(kHover, act.CurrentTrigger());
  EXPECT_EQ(2, act.CurrentHotKey());
  EXPECT_EQ(kStartHoverDelay, host.timerDelay);
  act.OnActivationSequenceChanged(6);  // no such sequence: trigger and hot key kept
  act.Select(3, 7);                    // nor such a trigger or hot key
  EXPECT_EQ(kHover, act.CurrentTrigger());
  EXPECT_EQ(2, act.CurrentHotKey());
}

TEST_F(Activation, DisabledIgnoresEverythingAndTheToggleTextOffersTheOppositeAction) {
  act.SetEnabled(false);
  EXPECT_FALSE(host.check);
  EXPECT_EQ(L"Activer", host.toggleText);
  EXPECT_FALSE(TickWith({vk::kControl}));
  act.OnMouseHookMsg(mouse::kLButtonDown);
  EXPECT_TRUE(host.popupOpen);
  act.OnMouseHookMsg(mouse::kMove);
  EXPECT_EQ(kStartHoverDelay, host.timerDelay);

  act.SetEnabled(true, /*fromCheckBox=*/true);
  EXPECT_FALSE(host.check);  // the box is the user's own click: left alone
  EXPECT_EQ(L"Désactiver", host.toggleText);
  EXPECT_TRUE(TickWith({vk::kControl}));

  host.check = true;
  act.OnPopupLinkClick();
  EXPECT_FALSE(act.Enabled());
  EXPECT_FALSE(host.check);
  EXPECT_FALSE(host.popupOpen);
  EXPECT_EQ(L"Activer", host.toggleText);
}

// A second without a hot key or a mouse event slows the timer; the hot key pressed over the
// resting pointer looks up at the next slow tick, and its release restores the delay, as a
// move does.
TEST_F(Activation, AnIdleTimerSlowsDownUntilTheHotKeyOrAMove) {
  for (int ms = 0; ms < kIdleAfterMs; ms += kStartHoverDelay) EXPECT_FALSE(TickWith({}));
  EXPECT_EQ(kIdleTickMs, host.timerDelay);
  EXPECT_FALSE(TickWith({}));
  EXPECT_TRUE(TickWith({vk::kControl}));
  EXPECT_FALSE(TickWith({}));
  EXPECT_EQ(kStartHoverDelay, host.timerDelay);

  for (int ms = 0; ms < kIdleAfterMs; ms += kStartHoverDelay) TickWith({});
  EXPECT_EQ(kIdleTickMs, host.timerDelay);
  act.OnMouseHookMsg(mouse::kMove);
  EXPECT_EQ(kStartHoverDelay, host.timerDelay);
}

// The hot key held over a resting pointer: the word is captured again every kRecaptureMs, not at
// every tick; a move brings the hover delay back for the next capture.
TEST_F(Activation, AHeldHotKeyOverARestingPointerCapturesFourTimesASecond) {
  EXPECT_TRUE(TickWith({vk::kControl}));
  EXPECT_EQ(kRecaptureMs, host.timerDelay);
  EXPECT_TRUE(TickWith({vk::kControl}));
  EXPECT_EQ(kRecaptureMs, host.timerDelay);
  act.OnMouseHookMsg(mouse::kMove);
  EXPECT_EQ(kStartHoverDelay, host.timerDelay);
  EXPECT_TRUE(TickWith({vk::kControl}));
  EXPECT_EQ(kRecaptureMs, host.timerDelay);
  act.SetHoverDelay(400);  // a longer delay is kept
  act.OnMouseHookMsg(mouse::kMove);
  EXPECT_TRUE(TickWith({vk::kControl}));
  EXPECT_EQ(400, host.timerDelay);
}

}  // namespace
}  // namespace qv
