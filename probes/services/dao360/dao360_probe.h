// probe_dao360: on a click of "test", creates, closes and reopens "test.mdb" in the current
// folder with the DAO 3.60 engine and says "Test ok" or "Test failed: " with the reason.
#pragma once

#include "catalogue/form_model.h"

namespace kit::services::dao360 {

shell::FormDescription ProbeForm();
int Run();

}  // namespace kit::services::dao360
