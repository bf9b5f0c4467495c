// probe_VELvbutils: on a click of "test", creates the global object of the maker's utility
// library once, calls its string function `trimn` and says "Test OK" or which step failed.
#pragma once

#include "catalogue/classes.h"
#include "common/class_id.h"
#include "common/win32.h"

#include <objbase.h>

namespace kit::services::velvbutils {

// The library's global object.
inline constexpr CLSID kGlobalClass = ClassIdFromText(catalogue::kVbUtilsGlobal.classId);

shell::FormDescription ProbeForm();
int Run();

}  // namespace kit::services::velvbutils
