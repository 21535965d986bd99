#include "app/ui/message_loop.h"

#include <algorithm>

namespace qv::ui {
namespace {

template <class T>
bool AddOnce(std::vector<T*>& list, T* item) {
  if (!item || std::find(list.begin(), list.end(), item) != list.end()) return false;
  list.push_back(item);
  return true;
}

template <class T>
bool Remove(std::vector<T*>& list, T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return false;
  *it = nullptr;  // erased by Compact, outside any walk of the list
  return true;
}

template <class T>
void Compact(std::vector<T*>& list) {
  list.erase(std::remove(list.begin(), list.end(), nullptr), list.end());
}

}  // namespace

bool CMessageLoop::AddMessageFilter(CMessageFilter* filter) {
  Compact(m_filters);
  return AddOnce(m_filters, filter);
}
bool CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) { return Remove(m_filters, filter); }
bool CMessageLoop::AddIdleHandler(CIdleHandler* handler) {
  Compact(m_idleHandlers);
  return AddOnce(m_idleHandlers, handler);
}
bool CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) {
  return Remove(m_idleHandlers, handler);
}

bool CMessageLoop::PreTranslate(MSG* msg) {
  // Newest first; indices, since a filter may add or remove filters while it runs.
  for (size_t i = m_filters.size(); i-- > 0;) {
    if (i < m_filters.size() && m_filters[i] && m_filters[i]->PreTranslateMessage(msg)) return true;
  }
  return false;
}

void CMessageLoop::OnIdle() {
  for (size_t i = 0; i < m_idleHandlers.size(); ++i)
    if (m_idleHandlers[i]) m_idleHandlers[i]->OnIdle();
}

int CMessageLoop::Run() {
  MSG msg{};
  for (;;) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      OnIdle();
      Compact(m_filters);
      Compact(m_idleHandlers);
    }
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

void CAppModule::Term() {
  m_loops.clear();
  m_instance = nullptr;
}

bool CAppModule::AddMessageLoop(CMessageLoop* loop) {
  return loop && m_loops.emplace(::GetCurrentThreadId(), loop).second;
}

bool CAppModule::RemoveMessageLoop() { return m_loops.erase(::GetCurrentThreadId()) > 0; }

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) const {
  auto it = m_loops.find(threadId);
  return it == m_loops.end() ? nullptr : it->second;
}

CAppModule& AppModule() {
  static CAppModule module;
  return module;
}

}  // namespace qv::ui
