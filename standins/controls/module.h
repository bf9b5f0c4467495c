// Win32-only. What the whole stand-in DLL shares: its module handle, its own component file
// from the class table, and the count of live objects and server locks that DllCanUnloadNow
// answers from.
#pragma once

#include "common/win32.h"
#include "standins/controls/control_classes.h"

namespace kit::standin {

HMODULE ThisModule();
// The component file this DLL was built as; null only if the build names a file the table lacks.
const ComponentFile* ThisComponentFile();
const StandinClass* FindClass(REFCLSID clsid);

void ObjectCreated();
void ObjectDestroyed();
void LockModule(bool lock);
bool ModuleInUse();

}  // namespace kit::standin
