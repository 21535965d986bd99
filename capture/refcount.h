// The reference count that each of this module's COM objects carries: it starts at one for
// the creator's reference, and the object deletes itself when the last one goes.
#pragma once

#include <windows.h>

#include <atomic>

namespace qv::capture {

class RefCount {
 public:
  ULONG AddRef() noexcept { return ++m_refs; }
  template <typename T>
  ULONG Release(T* self) noexcept {
    ULONG n = --m_refs;
    if (n == 0) delete self;
    return n;
  }

 private:
  std::atomic<ULONG> m_refs{1};
};

}  // namespace qv::capture
