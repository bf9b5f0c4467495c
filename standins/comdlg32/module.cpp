// Win32-only. The DLL's entry points: DllGetClassObject, DllCanUnloadNow, and the registration
// of its one class, a control invisible at run time.
#include "standins/comdlg32/comdlg_standin.h"

namespace {

using namespace kit;

HRESULT CreateFromFactory(const void*, REFIID iid, void** object) { return comdlg::CreateCommonDialog(iid, object); }

comserver::ServerClass Served() {
  return {.classId = comdlg::kClassId, .progId = comdlg::kProgId, .control = true, .miscStatus = comdlg::kMiscStatus};
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  CLSID ours{};
  if (FAILED(CLSIDFromString(const_cast<LPOLESTR>(comdlg::kClassId), &ours)) || !IsEqualCLSID(clsid, ours)) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return comserver::GetClassFactory(CreateFromFactory, nullptr, iid, object);
}

STDAPI DllCanUnloadNow() { return comserver::CanUnloadNow(); }
STDAPI DllRegisterServer() { return comserver::RegisterServerClass(Served()); }
STDAPI DllUnregisterServer() { return comserver::UnregisterServerClass(Served()); }
