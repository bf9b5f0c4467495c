// Portable. The reports found below kit_fleet's paths read one by one into the fleet's view: each
// report reduced to its ids as soon as it is read, its files let go, then the whole merged.
#pragma once

#include "fleet/fleet_view.h"
#include "fleet/report_folders.h"

#include <string_view>

namespace kit::fleet {

// The places that could not be searched are listed among the reports not read.
Fleet ReadFleet(FoundReports found, std::wstring_view since);

}  // namespace kit::fleet
