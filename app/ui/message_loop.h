// The application module and the message loop of the GUI thread. The loop offers every message
// to its filters first (a filter that returns true has consumed it), then translates and
// dispatches it; when the queue has emptied it calls the idle handlers; WM_QUIT ends it with its
// exit code.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

namespace qv::ui {

class CMessageFilter {
 public:
  virtual BOOL PreTranslateMessage(MSG* pMsg) = 0;

 protected:
  ~CMessageFilter() = default;
};

class CIdleHandler {
 public:
  virtual BOOL OnIdle() = 0;

 protected:
  ~CIdleHandler() = default;
};

class CMessageLoop {
 public:
  bool AddMessageFilter(CMessageFilter* filter);
  bool RemoveMessageFilter(CMessageFilter* filter);
  bool AddIdleHandler(CIdleHandler* handler);
  bool RemoveIdleHandler(CIdleHandler* handler);

  // Runs until WM_QUIT; returns its exit code.
  int Run();

 private:
  bool PreTranslate(MSG* msg);
  void OnIdle();

  // A filter or handler removed while the loop walks the list is replaced by null and erased
  // afterwards, so that the walk never skips or repeats one.
  std::vector<CMessageFilter*> m_filters;
  std::vector<CIdleHandler*> m_idleHandlers;
};

// The process-wide application module: the instance handle and the message loop of each GUI
// thread.
class CAppModule {
 public:
  void Init(HINSTANCE instance) { m_instance = instance; }
  void Term();
  HINSTANCE GetModuleInstance() const { return m_instance; }

  bool AddMessageLoop(CMessageLoop* loop);
  bool RemoveMessageLoop();
  // The calling thread's loop, or null.
  CMessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId()) const;

 private:
  HINSTANCE m_instance = nullptr;
  std::map<DWORD, CMessageLoop*> m_loops;
};

CAppModule& AppModule();

}  // namespace qv::ui
