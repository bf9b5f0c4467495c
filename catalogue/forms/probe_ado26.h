// probe_ado26: "test" creates an ADO connection and opens it on the data provider's prompt, and answers in a message box.
#pragma once

#include "catalogue/forms/service_items.h"

namespace kit::catalogue::probe_ado26 {
using namespace kit::shell;

inline constexpr ItemRecord kForm[] = {FormWindow(1670,1560), CommandDone(270,870), CommandTest(240,240)};

}  // namespace kit::catalogue::probe_ado26
