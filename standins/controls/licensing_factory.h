// Win32-only. The class factory of a licensed control, as most other makers ship theirs: it
// offers the licensing factory interface, refuses a plain creation on a machine without a
// design-time licence and creates an instance only when handed its run-time key. The stand-in's
// key is whatever KIT_CONTROL_LICENCE_KEY holds (tests set it; nothing here carries one).
#pragma once

#include "common/win32.h"
#include "standins/controls/control_classes.h"

#include <objbase.h>

namespace kit::standin {

HRESULT GetLicensingFactory(const StandinClass& entry, REFIID iid, void** object);

}  // namespace kit::standin
