// probe_dao360: "test" creates the DAO engine and a database in the current folder, and answers in a message box.
#pragma once

#include "catalogue/forms/service_items.h"

namespace kit::catalogue::probe_dao360 {
using namespace kit::shell;

inline constexpr ItemRecord kForm[] = {FormWindow(1670,1560), CommandDone(270,870), CommandTest(240,240)};

}  // namespace kit::catalogue::probe_dao360
