// probe_VELUtils: loads the maker's native library "VEL_Intel_Win32.dll" while its window loads
// and ticks "VEL_Intel_Win32" when that worked; otherwise it says so first.
#pragma once

#include "catalogue/form_model.h"

namespace kit::services::velutils {

shell::FormDescription ProbeForm();
int Run();

}  // namespace kit::services::velutils
