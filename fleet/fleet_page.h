// Portable. The fleet's two files: fleet.csv (one row per machine and program, guarded against
// formulas as report.csv is) and fleet.html (one self-contained page, no script, every text escaped).
#pragma once

#include "fleet/fleet_view.h"

#include <string>

namespace kit::fleet {

inline constexpr char kFleetCsvHeader[] = "machine,windows,program,verdict,message,cause";

std::string WriteFleetCsv(const Fleet& fleet);
std::string RenderFleetHtml(const Fleet& fleet);

}  // namespace kit::fleet
