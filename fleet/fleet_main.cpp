// kit_fleet: the survey reports of many machines merged into fleet.html and fleet.csv.
//   kit_fleet [--out FOLDER] [--since DATE] PATH...
// Every report folder and zip archive of reports below the paths is read; a report that cannot be
// used is listed on the page with the reason, and never stops the merge. The same source for both
// systems: the arguments are paths as the system gives them (UTF-16 on Windows, so that folders of
// any name are reached; bytes elsewhere).
#include "fleet/fleet_console.h"
#include "fleet/fleet_page.h"
#include "fleet/fleet_read.h"
#include "report/survey_result.h"

#include "common/utf8_text.h"

#include <string>
#include <vector>

namespace {

using kit::fleet::DiskPath;

constexpr char kUsage[] = "usage: kit_fleet [--out FOLDER] [--since YYYY-MM-DD[THH:MM:SS]] PATH...";

// A date as the reports give their times, to compare with them as text.
bool IsIsoDate(const std::string& text) {
  if (text.size() < 10 || text[4] != '-' || text[7] != '-') return false;
  for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u}) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

// An argument as text, for the options and for messages.
std::string Text(const DiskPath& arg) { return kit::fleet::PathUtf8(arg); }

int Run(const std::vector<DiskPath>& args) {
  DiskPath out = kit::fleet::PathFromUtf8(".");
  std::wstring since;
  std::vector<DiskPath> paths;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string arg = Text(args[i]);
    if ((arg == "--out" || arg == "--since") && i + 1 < args.size()) {
      const DiskPath& value = args[++i];
      if (arg == "--out") {
        out = value;
      } else if (IsIsoDate(Text(value))) {
        since = kit::FromUtf8(Text(value));
      } else {
        kit::fleet::PrintError("kit_fleet: --since wants a date like 2026-12-01, not \"" + Text(value) + "\"");
        return kit::report::kExitUsage;
      }
    } else if (arg.starts_with("--")) {
      kit::fleet::PrintError(kUsage);
      return kit::report::kExitUsage;
    } else {
      paths.push_back(args[i]);
    }
  }
  if (paths.empty()) {
    kit::fleet::PrintError(kUsage);
    return kit::report::kExitUsage;
  }

  const kit::fleet::Fleet fleet = kit::fleet::ReadFleet(kit::fleet::FindReports(paths, out), since);

  const DiskPath page = kit::fleet::JoinPath(out, kit::fleet::PathFromUtf8("fleet.html"));
  if (!kit::fleet::MakeFolders(out) ||
      !kit::fleet::WriteFile(kit::fleet::JoinPath(out, kit::fleet::PathFromUtf8("fleet.csv")), kit::fleet::WriteFleetCsv(fleet)) ||
      !kit::fleet::WriteFile(page, kit::fleet::RenderFleetHtml(fleet))) {
    kit::fleet::PrintError("kit_fleet: cannot write fleet.csv and fleet.html in " + Text(out));
    return kit::report::kExitReportNotWritten;
  }
  std::size_t broken = 0;
  for (const auto& machine : fleet.machines) broken += machine.broken;
  kit::fleet::PrintOutcome("kit_fleet: " + std::to_string(fleet.machines.size()) + " machines, " + std::to_string(broken) +
                           " with something broken, " + std::to_string(fleet.unreadable.size()) +
                           (fleet.unreadable.size() == 1 ? " report" : " reports") + " not read; " +
                           Text(page));
  return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  kit::fleet::PrepareConsole();
  return Run(std::vector<DiskPath>(argv + 1, argv + argc));
}
#else
int main(int argc, char** argv) {
  kit::fleet::PrepareConsole();
  return Run(std::vector<DiskPath>(argv + 1, argv + argc));
}
#endif
