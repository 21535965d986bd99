#include "core/activation.h"

#include <algorithm>
#include <iterator>

namespace qv {

bool CActivation::HotKeyHeld() {
  return HotKeyCodeHeld(kHotKeys[m_hotKey].code, [this](int key) { return m_host.KeyDown(key); });
}

void CActivation::Select(int trigger, int hotKey) {
  if (trigger >= kLeftClick && trigger <= kHover) m_trigger = trigger;
  if (hotKey >= 0 && hotKey < static_cast<int>(std::size(kHotKeys))) m_hotKey = hotKey;
  ApplyTrigger();
}

void CActivation::OnMouseHookMsg(unsigned msg) {
  if (!m_enabled) return;
  if (m_trigger == kHover) {
    if (msg == mouse::kLButtonDown || msg == mouse::kRButtonDown) {
      if (!m_host.CursorOverPopup()) m_host.ClosePopup();
    } else if (msg == mouse::kMove || msg == mouse::kWheel) {
      m_host.SetHoverTimer(m_hoverDelay);
      m_idleMs = 0;
      m_pace = Pace::Hover;
    }
    return;
  }
  // Some systems report a "move" when a window appears under a pointer that stays still, as
  // the popup does after a click: only a pointer that really moved closes the popup.
  const std::pair<int, int> pointer = m_host.CursorPosition();
  const bool moved = pointer != m_lastPointer;
  m_lastPointer = pointer;
  if (!HotKeyHeld() || (msg == mouse::kMove && !moved)) return;
  const bool left = m_trigger == kLeftClick;
  if (msg == (left ? mouse::kLButtonDown : mouse::kRButtonDown))
    m_host.LookupUnderCursor();
  else if (msg == (left ? mouse::kLButtonUp : mouse::kRButtonUp))
    return;  // the release of the click that looked up: its popup stays
  else if (!m_host.CursorOverPopup())
    m_host.ClosePopup();
}

void CActivation::SetPace(Pace pace) {
  if (pace == m_pace) return;
  m_pace = pace;
  m_host.SetHoverTimer(pace == Pace::Idle        ? kIdleTickMs
                       : pace == Pace::Recapture ? std::max(m_hoverDelay, kRecaptureMs)
                                                 : m_hoverDelay);
}

void CActivation::OnHoverTimer(std::uintptr_t id) {
  if (!m_enabled || id != kHoverTimerId) return;
  if (HotKeyHeld()) {
    m_idleMs = 0;
    m_host.LookupUnderCursor();
    // Until the pointer moves (OnMouseHookMsg), the next capture is due a period later.
    SetPace(Pace::Recapture);
    return;
  }
  // Released: the hot key is watched at the hover delay again.
  if (m_pace == Pace::Recapture) {
    SetPace(Pace::Hover);
    return;
  }
  // The system's timers tick at least every 10 ms.
  const int period = std::max(m_hoverDelay, 10);
  if (m_pace == Pace::Idle || period >= kIdleTickMs) return;
  m_idleMs += period;
  if (m_idleMs >= kIdleAfterMs) SetPace(Pace::Idle);
}

void CActivation::ApplyTrigger() {
  m_idleMs = 0;
  m_pace = Pace::Hover;
  if (m_trigger == kHover)
    m_host.SetHoverTimer(m_hoverDelay);
  else
    m_host.KillHoverTimer();
  // Every trigger keeps the delay field usable: a delay set under a click trigger serves hover.
  m_host.EnableDelayField(true);
}

void CActivation::OnActivationSequenceChanged(int sequence) {
  if (sequence >= 0 && sequence < static_cast<int>(std::size(kSequences)))
    Select(kSequences[sequence].trigger, kSequences[sequence].hotKey);
  else
    ApplyTrigger();
}

void CActivation::SetEnabled(bool enable, bool fromCheckBox) {
  const std::wstring text = m_host.GetText(enable ? L"Disable" : L"Enable");
  if (!fromCheckBox) m_host.SetEnableCheck(enable);
  m_host.SetToggleItemText(text);
  m_enabled = enable;
}

void CActivation::OnPopupLinkClick() {
  m_host.SetEnableCheck(false);
  m_host.SetToggleItemText(m_host.GetText(L"Enable"));
  m_enabled = false;
  m_host.ClosePopup();
}

}  // namespace qv
