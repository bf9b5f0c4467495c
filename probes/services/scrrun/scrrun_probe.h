// probe_scrrun: creates the scripting runtime's file system object on a click of "test" and
// says "Test ok" or "Test failed".
#pragma once

#include "catalogue/form_model.h"

namespace kit::services::scrrun {

shell::FormDescription ProbeForm();
int Run();

}  // namespace kit::services::scrrun
