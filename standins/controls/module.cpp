// Win32-only. The DLL's entry points: DllMain, DllGetClassObject, DllCanUnloadNow, and the
// registration of every class of this DLL's component file as a control.
#include "standins/controls/module.h"

#include "standins/com_server/licensing_factory.h"
#include "standins/controls/failure_injection.h"
#include "standins/controls/journal.h"
#include "standins/controls/standin_control.h"
#include "standins/controls/field_boxes.h"
#include "standins/controls/standin_window.h"

#include <objbase.h>
#include <olectl.h>

namespace kit::standin {
namespace {

HRESULT CreateFromFactory(const void* context, REFIID iid, void** object) {
  const auto& entry = *static_cast<const StandinClass*>(context);
  // The host's test of a control whose creation fails after its file was found and loaded.
  if (FailureRequested(entry.progId, FailureStage::Create)) return E_OUTOFMEMORY;
  return CreateStandinControl(entry, iid, object);
}

void JournalLicence(const void* context, std::wstring_view event) {
  JournalLine(static_cast<const StandinClass*>(context)->progId, event);
}

comserver::ServerClass Served(const StandinClass& entry) {
  // The registry's status is "0" for a visible control and the full status for an invisible one.
  return {.classId = entry.clsid, .progId = entry.progId, .control = true,
          .miscStatus = entry.invisibleAtRunTime ? MiscStatusOf(entry) : 0};
}

}  // namespace

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

}  // namespace kit::standin

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    // Unloaded by FreeLibrary (not process exit, when user32 may already be gone): the window
    // class names this module's code, which is about to go.
    kit::standin::UnregisterStandinWindowClass();
    kit::standin::UnregisterBoxClass();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  const kit::standin::StandinClass* entry = kit::standin::FindClass(clsid);
  if (!entry) return CLASS_E_CLASSNOTAVAILABLE;
  if (kit::standin::FailureRequested(entry->progId, kit::standin::FailureStage::Licensed)) {
    return kit::comserver::GetLicensingFactory(kit::standin::CreateFromFactory, entry, kit::standin::JournalLicence,
                                               iid, object);
  }
  return kit::comserver::GetClassFactory(kit::standin::CreateFromFactory, entry, iid, object);
}

STDAPI DllCanUnloadNow() { return kit::comserver::CanUnloadNow(); }

STDAPI DllRegisterServer() {
  const kit::standin::ComponentFile* file = kit::standin::ThisComponentFile();
  if (!file) return SELFREG_E_CLASS;
  for (const kit::standin::StandinClass& entry : file->classes) {
    if (FAILED(kit::comserver::RegisterServerClass(kit::standin::Served(entry)))) return SELFREG_E_CLASS;
  }
  return S_OK;
}

STDAPI DllUnregisterServer() {
  const kit::standin::ComponentFile* file = kit::standin::ThisComponentFile();
  if (!file) return SELFREG_E_CLASS;
  bool removed = true;
  for (const kit::standin::StandinClass& entry : file->classes) {
    removed = SUCCEEDED(kit::comserver::UnregisterServerClass(kit::standin::Served(entry))) && removed;
  }
  return removed ? S_OK : SELFREG_E_CLASS;
}
