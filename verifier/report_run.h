// One complete verification run: inspect every component of the table with one inspector, draw
// one line per component in five columns, log the same values comma-separated, close with the
// data-access line. Nothing survives from one run to the next.
#pragma once

#include "verifier/report_surface.h"
#include "verifier/settings.h"
#include "verifier/verifier_os.h"

#include <array>
#include <cstdint>
#include <string>

namespace kit::verifier {

// x of columns 1 to 4 for a window width: width times 0.4, 0.5, 0.65 and 0.85 in double
// precision, rounded to the nearest twip, halves to the even neighbour.
std::array<std::int32_t, 4> ColumnPositions(std::int32_t windowWidth);

// "File version verification <date> on <Windows name>".
std::wstring ReportTitle(std::wstring_view shortDate, std::wstring_view osName);

// The size cell: the decimal number and " bytes".
std::wstring SizeText(std::int32_t size);

struct ComponentCells {
  std::wstring path;
  std::wstring registration;
  std::wstring date;     // empty: no date
  std::wstring size;     // empty: no size
  std::wstring version;
};

// One log line: the five cells joined by ",", "na" for a missing date or size.
std::wstring LogLine(const ComponentCells& cells);

// Returns 0, or the error code that ended the run at the step that failed (the log file).
std::uint32_t RunVerification(const VerifierSettings& settings, VerifierOs& os, ReportSurface& surface, LogFile& log);

}  // namespace kit::verifier
