// Win32-only. What every stand-in COM server DLL shares: its module, the count of live objects
// and server locks behind DllCanUnloadNow, a class factory over a creation function, and the
// registry keys of a served class.
#pragma once

#include "common/win32.h"

#include <objbase.h>

#include <string>
#include <string_view>

namespace kit::comserver {

// The DLL this code is linked into.
HMODULE ThisModule();
// Its full path, however long; empty if the system cannot say.
std::wstring ModulePath();

// Every object the DLL hands out counts itself from construction to destruction; with the
// server locks it keeps the DLL loaded.
void ObjectCreated();
void ObjectDestroyed();
void LockServer(bool lock);
HRESULT CanUnloadNow();

// The IUnknown and LockServer of a stand-in class factory (one object, one count, counted among
// the DLL's objects); `Factory` is IClassFactory or IClassFactory2.
template <typename Factory>
class FactoryBase : public Factory {
public:
  FactoryBase(const FactoryBase&) = delete;
  FactoryBase& operator=(const FactoryBase&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory) || IsEqualIID(iid, __uuidof(Factory))) {
      *object = static_cast<Factory*>(this);
      this->AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    comserver::LockServer(lock != FALSE);
    return S_OK;
  }

protected:
  FactoryBase() { ObjectCreated(); }
  virtual ~FactoryBase() { ObjectDestroyed(); }

private:
  LONG m_references = 1;
};

// Creates an instance for a class factory; `context` is what GetClassFactory was given.
using CreateFunction = HRESULT (*)(const void* context, REFIID iid, void** object);
// A class factory (one object, one count) that creates through `create`.
HRESULT GetClassFactory(CreateFunction create, const void* context, REFIID iid, void** object);

// The keys of one served class under HKEY_CLASSES_ROOT:
//   CLSID\{classId}                 (default) the ProgID, when there is one
//       \InprocServer32             (default) this DLL's full path, ThreadingModel "Apartment"
//       \ProgID                     (default) the ProgID, when there is one
//       \Control, \MiscStatus       for a control: (default) its status flags in decimal
//   <ProgID>\CLSID                  (default) {classId}, when there is a ProgID
struct ServerClass {
  std::wstring classId{};  // "{...}"
  std::wstring progId{};   // may be empty
  bool control = false;
  DWORD miscStatus = 0;
};
HRESULT RegisterServerClass(const ServerClass& served);
// Removes exactly those keys; a key already gone counts as removed. The class and ProgID keys
// stay only when someone else gave them subkeys of their own.
HRESULT UnregisterServerClass(const ServerClass& served);

std::wstring GuidText(REFGUID guid);

}  // namespace kit::comserver
