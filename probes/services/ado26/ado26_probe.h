// probe_ado26: opens an ADO connection on a click of "test", letting the provider ask the user
// for every connection detail, and says "Test ok" or "Test failed".
#pragma once

#include "probes/shell/form_model.h"

namespace kit::services::ado26 {

shell::FormDescription ProbeForm();
int Run();

}  // namespace kit::services::ado26
