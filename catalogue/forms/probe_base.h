// probe_base: the probe shell and nothing else, `Form1` with its one end button. It shows that a
// plain program of the kit starts and ends on this machine.
#pragma once

#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_base {
using namespace kit::shell;

inline constexpr ItemRecord kForm[] = {FormWindow(1670, 1080), CommandDone(270, 330)};

}  // namespace kit::catalogue::probe_base
