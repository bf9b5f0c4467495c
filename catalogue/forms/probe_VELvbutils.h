// probe_VELvbutils: "test" creates the maker's utility class and calls its string function, and answers in a message box.
#pragma once

#include "catalogue/forms/service_items.h"

namespace kit::catalogue::probe_VELvbutils {
using namespace kit::shell;

inline constexpr ItemRecord kForm[] = {FormWindow(1850,1260), CommandDone(300,750), CommandTest(300,120)};

}  // namespace kit::catalogue::probe_VELvbutils
