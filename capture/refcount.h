// What each of this module's COM objects shares: a reference count that starts at one for the
// creator's reference (the object deletes itself when the last one goes), and the end of
// QueryInterface.
#pragma once

#include <windows.h>
#include <unknwn.h>

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

// QueryInterface's answer: `found` is the object's interface for the identifier asked, null
// when it has none.
inline HRESULT Answer(IUnknown* found, void** out) noexcept {
  *out = found;
  if (!found) return E_NOINTERFACE;
  found->AddRef();
  return S_OK;
}

}  // namespace qv::capture
