// The DLL's COM entry points. The same source builds both assemblies' modules: WCaptureX serves
// the engine, WMonitorX the request; the manifests name which class lives in which file.
#include <windows.h>

#include <atomic>
#include <new>

#include "capture/objects.h"
#include "capture/refcount.h"

namespace qv::capture {
namespace {

using CreateFn = HRESULT (*)(REFIID, void**);

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(CreateFn create) : m_create(create) { ModuleAddRef(); }
  ~ClassFactory() { ModuleRelease(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    return Answer(
        iid == IID_IUnknown || iid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return m_refs.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return m_refs.Release(this); }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return m_create(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lock ? ModuleAddRef() : ModuleRelease();
    return S_OK;
  }

 private:
  RefCount m_refs;
  CreateFn m_create;
};

#ifdef QV_SERVE_ENGINE
// The engine with the system's recognizer.
HRESULT CreateSystemEngine(REFIID iid, void** out) { return CreateEngine(iid, out); }
#endif

}  // namespace
}  // namespace qv::capture

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  qv::capture::CreateFn create = nullptr;
#ifdef QV_SERVE_ENGINE
  if (clsid == CLSID_WCapture) create = qv::capture::CreateSystemEngine;
#endif
#ifdef QV_SERVE_REQUEST
  if (clsid == CLSID_WInput) create = qv::capture::CreateRequest;
#endif
  if (!create) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) qv::capture::ClassFactory(create);
  if (!factory) return E_OUTOFMEMORY;
  HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();
  return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return qv::capture::ModuleInUse() ? S_FALSE : S_OK;
}
