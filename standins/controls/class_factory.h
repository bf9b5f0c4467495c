// Win32-only. The class factory of one stand-in class, handed out by DllGetClassObject.
#pragma once

#include "common/win32.h"
#include "standins/controls/control_classes.h"

#include <objbase.h>

namespace kit::standin {

HRESULT CreateClassFactory(const StandinClass& entry, REFIID iid, void** object);

}  // namespace kit::standin
