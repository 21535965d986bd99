// The application module and the message loop of the GUI thread. The loop offers every message
// to its filters first (a filter that returns true has consumed it), then translates and
// dispatches it; WM_QUIT ends it with its exit code.
#pragma once

#include <windows.h>

#include <vector>

namespace qv::ui {

class CMessageFilter {
 public:
  virtual BOOL PreTranslateMessage(MSG* pMsg) = 0;

 protected:
  ~CMessageFilter() = default;
};

class CMessageLoop {
 public:
  bool AddMessageFilter(CMessageFilter* filter);
  bool RemoveMessageFilter(CMessageFilter* filter);

  // Runs until WM_QUIT; returns its exit code.
  int Run();

 private:
  bool PreTranslate(MSG* msg);

  // A filter removed while the loop walks the list is replaced by null and erased afterwards,
  // so that the walk never skips or repeats one.
  std::vector<CMessageFilter*> m_filters;
};

// The process-wide application module: the message loop of the program's one GUI thread, where
// its windows find it to add their filters.
class CAppModule {
 public:
  bool AddMessageLoop(CMessageLoop* loop);
  bool RemoveMessageLoop();
  // The running loop, or null.
  CMessageLoop* GetMessageLoop() const { return m_loop; }

 private:
  CMessageLoop* m_loop = nullptr;
};

CAppModule& AppModule();

}  // namespace qv::ui
