// probe_VELvbutils: on a click of "test", creates the global object of the maker's utility
// library once, calls its string function `trimn` and says "Test OK" or which step failed.
#pragma once

#include "probes/shell/form_model.h"

namespace kit::services::velvbutils {

shell::FormDescription ProbeForm();
int Run();

}  // namespace kit::services::velvbutils
