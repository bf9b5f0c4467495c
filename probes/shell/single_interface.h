// Win32-only. The IUnknown of a small COM object of the shell that offers one interface beside
// IUnknown (an enumerator, an extender): one reference count, deleted at the last release.
#pragma once

#include "common/win32.h"

#include <unknwn.h>

namespace kit::shell {

template <typename Interface>
class SingleInterface : public Interface {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface))) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
  }

protected:
  SingleInterface() = default;
  virtual ~SingleInterface() = default;

private:
  ULONG m_references = 1;
};

}  // namespace kit::shell
