// Win32-only. kit_fleet's lines on Windows, through the kit's console output (a console shows any
// folder's name; a file or a pipe gets UTF-8, as on every other system).
#include "fleet/fleet_console.h"

#include "common/fatal_report.h"
#include "common/standard_output.h"
#include "common/utf8_text.h"

namespace kit::fleet {

void PrepareConsole() {
  SendFatalReportsTo([](std::wstring_view line) { WriteStandardLine(true, line); });
}
void PrintOutcome(std::string_view utf8) { WriteStandardLine(false, FromUtf8(utf8)); }
void PrintError(std::string_view utf8) { WriteStandardLine(true, FromUtf8(utf8)); }

}  // namespace kit::fleet
