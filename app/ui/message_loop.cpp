#include "app/ui/message_loop.h"

#include <algorithm>
#include <utility>

namespace qv::ui {

bool CMessageLoop::AddMessageFilter(CMessageFilter* filter) {
  m_filters.erase(std::remove(m_filters.begin(), m_filters.end(), nullptr), m_filters.end());
  if (!filter || std::find(m_filters.begin(), m_filters.end(), filter) != m_filters.end())
    return false;
  m_filters.push_back(filter);
  return true;
}

bool CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
  auto it = std::find(m_filters.begin(), m_filters.end(), filter);
  if (it == m_filters.end()) return false;
  *it = nullptr;  // erased outside any walk of the list
  return true;
}

bool CMessageLoop::PreTranslate(MSG* msg) {
  // Newest first; indices, since a filter may add or remove filters while it runs.
  for (size_t i = m_filters.size(); i-- > 0;) {
    if (i < m_filters.size() && m_filters[i] && m_filters[i]->PreTranslateMessage(msg)) return true;
  }
  return false;
}

int CMessageLoop::Run() {
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) continue;  // an invalid window handle: nothing was retrieved
    if (!got) break;
    if (!PreTranslate(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}

bool CAppModule::AddMessageLoop(CMessageLoop* loop) {
  if (!loop || m_loop) return false;
  m_loop = loop;
  return true;
}

bool CAppModule::RemoveMessageLoop() { return std::exchange(m_loop, nullptr) != nullptr; }

CAppModule& AppModule() {
  static CAppModule module;
  return module;
}

}  // namespace qv::ui
