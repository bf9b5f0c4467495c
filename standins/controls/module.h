// Win32-only. What the whole stand-in DLL shares: its own component file from the class table
// and, from the shared server plumbing, its module and the count of live objects that
// DllCanUnloadNow answers from.
#pragma once

#include "common/win32.h"
#include "standins/com_server/com_server.h"
#include "standins/controls/control_classes.h"

namespace kit::standin {

using comserver::ObjectCreated;
using comserver::ObjectDestroyed;
using comserver::ThisModule;

// The component file this DLL was built as; null only if the build names a file the table lacks.
const ComponentFile* ThisComponentFile();
const StandinClass* FindClass(REFCLSID clsid);

}  // namespace kit::standin
