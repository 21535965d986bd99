// When a mouse event or a tick of the hover timer becomes a look-up: the hot-key state codes,
// the trigger, hot-key and activation-sequence tables, and the decisions taken on them. The
// activation keeps the trigger and hot key in force; the program's main dialog supplies the key
// state, the pointer, the popup, the timer and the controls it updates through IActivationHost;
// tests supply fakes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <string_view>

namespace qv {

inline constexpr std::uintptr_t kHoverTimerId = 123;
inline constexpr int kStartHoverDelay = 20;  // milliseconds
// While nothing happens (no hot key held, no mouse event) for kIdleAfterMs, the hover timer
// ticks every kIdleTickMs instead, so that an idle QV seldom wakes. The timer can only poll the
// keys (QV never watches what is typed), so this period bounds how late a hot key pressed over
// a resting pointer is seen.
inline constexpr int kIdleAfterMs = 1000;
inline constexpr int kIdleTickMs = 80;
// While the hot key stays held over a resting pointer, the word under it is captured again at
// this period rather than at every tick: a text that changes under the pointer still shows
// within it, and a move of the pointer brings the hover delay back at once.
inline constexpr int kRecaptureMs = 250;

// Virtual keys and mouse messages the decisions use, with the system's numbers.
namespace vk {
inline constexpr int kShift = 0x10, kControl = 0x11, kMenu = 0x12, kLWin = 0x5B, kRWin = 0x5C,
                     kF8 = 0x77, kQ = 0x51;
}
namespace mouse {
inline constexpr unsigned kMove = 0x0200, kLButtonDown = 0x0201, kLButtonUp = 0x0202,
                          kRButtonDown = 0x0204, kRButtonUp = 0x0205, kWheel = 0x020A;
}

struct HotKeyRow {
  const wchar_t* name;
  int code;
};
// The hot keys offered, in list order.
inline constexpr HotKeyRow kHotKeys[] = {
    {L"Ctrl", 2}, {L"Ctrl+Alt", 3}, {L"F8", 119}, {L"Alt+Shift", 5},
    {L"Alt+Q", 81}, {L"Alt", 1},    {L"SHIFT", 4}};

enum Trigger : int { kLeftClick = 0, kRightClick = 1, kHover = 2 };

struct SequenceRow {
  int trigger;
  int hotKey;
};
// Activation sequences: the first four are listed (by their bundle keys below), 4 and 5 are
// accepted without a list entry.
inline constexpr SequenceRow kSequences[] = {{kHover, 0},     {kHover, 2},      {kHover, 6},
                                             {kHover, 5},     {kLeftClick, 5},  {kRightClick, 0}};
inline constexpr const wchar_t* kSequenceKeys[] = {L"Mouse Hover + CTRL", L"Mouse Hover + F8",
                                                   L"Mouse Hover + Shift", L"Mouse Hover + ALT"};

// The state code of the keys held now: the codes of the held keys combined with a bitwise or
// (Ctrl 2, Alt 1, Shift 4, a Windows key 8, F8 119, Q 81). A hot key matches only on equality.
template <class IsDown>
int KeyStateCode(IsDown isDown) {
  int code = 0;
  if (isDown(vk::kControl)) code |= 2;
  if (isDown(vk::kMenu)) code |= 1;
  if (isDown(vk::kShift)) code |= 4;
  if (isDown(vk::kLWin) || isDown(vk::kRWin)) code |= 8;
  if (isDown(vk::kF8)) code |= 119;
  if (isDown(vk::kQ)) code |= 81;
  return code;
}

// Whether the keys held now make exactly the hot key `code`. The key without which the code
// cannot be made is asked first, and the others only when it is down: a timer that polls the
// keys mostly finds none held, and each key asked costs a call into the system.
template <class IsDown>
bool HotKeyCodeHeld(int code, IsDown isDown) {
  const int needed = code == 119  ? vk::kF8
                     : code == 81 ? vk::kQ
                     : code & 2   ? vk::kControl
                     : code & 1   ? vk::kMenu
                     : code & 4   ? vk::kShift
                                  : 0;
  if (needed && !isDown(needed)) return false;
  return KeyStateCode(isDown) == code;
}

class IActivationHost {
 public:
  virtual ~IActivationHost() = default;
  // Whether the key (a virtual-key number) is held now.
  virtual bool KeyDown(int virtualKey) = 0;
  // The pointer's position on the screen.
  virtual std::pair<int, int> CursorPosition() = 0;
  // Whether the window under the pointer is the popup; closing the popup.
  virtual bool CursorOverPopup() = 0;
  virtual void ClosePopup() = 0;
  virtual void LookupUnderCursor() = 0;
  // The periodic hover timer: setting it again restarts its countdown.
  virtual void SetHoverTimer(int delayMs) = 0;
  virtual void KillHoverTimer() = 0;
  virtual void EnableDelayField(bool enable) = 0;
  // The "Enable QV" check box and the tray menu's toggle item.
  virtual void SetEnableCheck(bool checked) = 0;
  virtual void SetToggleItemText(const std::wstring& text) = 0;
  // A text of the bundle's section "Main".
  virtual std::wstring GetText(std::wstring_view key) = 0;
};

class CActivation {
 public:
  explicit CActivation(IActivationHost& host) : m_host(host) {}

  bool Enabled() const { return m_enabled; }
  // The start state, set once the settings controls are filled; no bundle text is read.
  void Start() { m_enabled = true; }
  int HoverDelay() const { return m_hoverDelay; }
  void SetHoverDelay(int ms) { m_hoverDelay = ms; }
  // The trigger in force (a Trigger) and the hot key (a row of kHotKeys). Every start begins
  // with hover and Ctrl; nothing keeps them across runs.
  int CurrentTrigger() const { return m_trigger; }
  int CurrentHotKey() const { return m_hotKey; }
  // Chooses both, then applies the trigger; a value outside its table leaves that one as it is.
  void Select(int trigger, int hotKey);

  void OnMouseHookMsg(unsigned msg);
  void OnHoverTimer(std::uintptr_t id);
  // Arms the hover timer for the hover trigger, kills it for a click trigger.
  void ApplyTrigger();
  // A row of kSequences chooses the trigger and hot key; any other value keeps them.
  void OnActivationSequenceChanged(int sequence);
  // The tray toggle and the check box (which is already in its new state: fromCheckBox).
  void SetEnabled(bool enable, bool fromCheckBox = false);
  void OnPopupLinkClick();

 private:
  bool HotKeyHeld();

  // The hover timer's period: the user's delay, kRecaptureMs while the hot key is held over a
  // resting pointer, kIdleTickMs after an idle period.
  enum class Pace { Hover, Recapture, Idle };
  void SetPace(Pace pace);

  IActivationHost& m_host;
  bool m_enabled = false;  // set when the settings controls are filled
  int m_hoverDelay = kStartHoverDelay;
  int m_trigger = kHover;
  int m_hotKey = 0;  // Ctrl
  int m_idleMs = 0;  // time of the ticks without a hot key since the last event
  Pace m_pace = Pace::Hover;
  std::optional<std::pair<int, int>> m_lastPointer;  // at the last event in click mode
};

}  // namespace qv
