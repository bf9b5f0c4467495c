// Win32-only. One factory object per DllGetClassObject call, counted among the module's live
// objects so that DllCanUnloadNow keeps the DLL while a caller holds it.
#include "standins/controls/class_factory.h"

#include "standins/controls/failure_injection.h"
#include "standins/controls/module.h"
#include "standins/controls/standin_control.h"

#include <new>

namespace kit::standin {
namespace {

class ClassFactory final : public IClassFactory {
public:
  explicit ClassFactory(const StandinClass& entry) : m_entry(entry) { ObjectCreated(); }
  ~ClassFactory() { ObjectDestroyed(); }
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    // The host's test of a control whose creation fails after its file was found and loaded.
    if (FailureRequested(m_entry.progId, FailureStage::Create)) return E_OUTOFMEMORY;
    return CreateStandinControl(m_entry, iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    LockModule(lock != FALSE);
    return S_OK;
  }

private:
  LONG m_refs = 1;
  const StandinClass& m_entry;
};

}  // namespace

HRESULT CreateClassFactory(const StandinClass& entry, REFIID iid, void** object) {
  ClassFactory* factory = new (std::nothrow) ClassFactory(entry);
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, object);
  factory->Release();
  return hr;
}

}  // namespace kit::standin
