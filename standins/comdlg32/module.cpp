// Win32-only. The DLL's entry points: DllMain, DllGetClassObject with its class factory,
// DllCanUnloadNow, and registration. Registration writes, and unregistration removes:
//   HKCR\CLSID\{clsid}            (default) ProgID
//       \InprocServer32           (default) this DLL's full path, ThreadingModel "Apartment"
//       \ProgID                   (default) ProgID
//       \Control
//       \MiscStatus               (default) the status of a control invisible at run time
//   HKCR\<ProgID>\CLSID           (default) {clsid}
#include "common/owners.h"
#include "standins/comdlg32/comdlg_standin.h"

#include <objbase.h>
#include <olectl.h>

#include <new>
#include <string>

namespace kit::comdlg {
namespace {

HMODULE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

class ClassFactory final : public IClassFactory {
public:
  ClassFactory() { ObjectCreated(); }
  ~ClassFactory() { ObjectDestroyed(); }
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
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
    return CreateCommonDialog(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    LockModule(lock != FALSE);
    return S_OK;
  }

private:
  LONG m_refs = 1;
};

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);  // a full buffer may hold a cut path
  }
}

bool WriteKey(const std::wstring& path, const wchar_t* valueName, const std::wstring* text) {
  UniqueKey key;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      key.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  if (!text) return true;
  const DWORD bytes = static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()), bytes) ==
         ERROR_SUCCESS;
}

bool DeleteKey(const std::wstring& path) {
  const LSTATUS status = RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

HMODULE ThisModule() { return g_module; }
void ObjectCreated() { InterlockedIncrement(&g_objects); }
void ObjectDestroyed() { InterlockedDecrement(&g_objects); }
void LockModule(bool lock) {
  if (lock) {
    InterlockedIncrement(&g_locks);
  } else {
    InterlockedDecrement(&g_locks);
  }
}
bool ModuleInUse() { return g_objects > 0 || g_locks > 0; }

}  // namespace kit::comdlg

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    kit::comdlg::g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  CLSID ours{};
  if (FAILED(CLSIDFromString(const_cast<LPOLESTR>(kit::comdlg::kClassId), &ours)) || !IsEqualCLSID(clsid, ours)) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  auto* factory = new (std::nothrow) kit::comdlg::ClassFactory();
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, object);
  factory->Release();
  return hr;
}

STDAPI DllCanUnloadNow() { return kit::comdlg::ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllRegisterServer() {
  using namespace kit::comdlg;
  const std::wstring modulePath = ModulePath();
  if (modulePath.empty()) return SELFREG_E_CLASS;
  const std::wstring progId = kProgId;
  const std::wstring clsid = kClassId;
  const std::wstring classKey = L"CLSID\\" + clsid;
  const std::wstring apartment = L"Apartment";
  const std::wstring miscStatus = std::to_wstring(kMiscStatus);
  const bool written = WriteKey(classKey, nullptr, &progId) &&
                       WriteKey(classKey + L"\\InprocServer32", nullptr, &modulePath) &&
                       WriteKey(classKey + L"\\InprocServer32", L"ThreadingModel", &apartment) &&
                       WriteKey(classKey + L"\\ProgID", nullptr, &progId) &&
                       WriteKey(classKey + L"\\Control", nullptr, nullptr) &&
                       WriteKey(classKey + L"\\MiscStatus", nullptr, &miscStatus) &&
                       WriteKey(progId + L"\\CLSID", nullptr, &clsid);
  return written ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
  using namespace kit::comdlg;
  const std::wstring progId = kProgId;
  const std::wstring classKey = L"CLSID\\" + std::wstring(kClassId);
  bool removed = true;
  for (const std::wstring& leaf : {classKey + L"\\InprocServer32", classKey + L"\\ProgID", classKey + L"\\Control",
                                   classKey + L"\\MiscStatus", progId + L"\\CLSID"}) {
    removed = DeleteKey(leaf) && removed;
  }
  removed = DeleteKey(classKey) && removed;
  removed = DeleteKey(progId) && removed;
  return removed ? S_OK : SELFREG_E_CLASS;
}
