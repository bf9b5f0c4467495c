// Win32-only. The recording stand-in control: one COM object per instance, answering for all
// the interfaces a control container uses, and journaling what it was handed.
#pragma once

#include "common/win32.h"
#include "standins/controls/control_classes.h"

#include <objbase.h>

namespace kit::standin {

// What IOleObject::GetMiscStatus answers for the class.
DWORD MiscStatusOf(const StandinClass& entry);

HRESULT CreateStandinControl(const StandinClass& entry, REFIID iid, void** object);

}  // namespace kit::standin
