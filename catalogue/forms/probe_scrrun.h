// probe_scrrun: "test" creates the scripting runtime's file system object, and answers in a message box.
#pragma once

#include "catalogue/forms/service_items.h"

namespace kit::catalogue::probe_scrrun {
using namespace kit::shell;

inline constexpr ItemRecord kForm[] = {FormWindow(1670,1560), CommandDone(270,870), CommandTest(240,240)};

}  // namespace kit::catalogue::probe_scrrun
