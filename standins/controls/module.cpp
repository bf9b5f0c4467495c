// Win32-only. The DLL's entry points besides registration: DllMain, DllGetClassObject and
// DllCanUnloadNow, and the counts of live objects and locks behind the last one.
#include "standins/controls/module.h"

#include "standins/controls/class_factory.h"
#include "standins/controls/standin_window.h"

#include <objbase.h>

namespace kit::standin {
namespace {

HMODULE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

}  // namespace

HMODULE ThisModule() { return g_module; }

const StandinClass* FindClass(REFCLSID clsid) {
  const ComponentFile* file = ThisComponentFile();
  if (!file) return nullptr;
  for (const StandinClass& entry : file->classes) {
    CLSID candidate{};
    if (SUCCEEDED(CLSIDFromString(const_cast<LPOLESTR>(entry.clsid), &candidate)) && IsEqualCLSID(candidate, clsid)) {
      return &entry;
    }
  }
  return nullptr;
}

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

}  // namespace kit::standin

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    kit::standin::g_module = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    // Unloaded by FreeLibrary (not process exit, when user32 may already be gone): the window
    // class names this module's code, which is about to go.
    kit::standin::UnregisterStandinWindowClass();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  const kit::standin::StandinClass* entry = kit::standin::FindClass(clsid);
  if (!entry) return CLASS_E_CLASSNOTAVAILABLE;
  return kit::standin::CreateClassFactory(*entry, iid, object);
}

STDAPI DllCanUnloadNow() { return kit::standin::ModuleInUse() ? S_FALSE : S_OK; }
