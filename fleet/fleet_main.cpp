// kit_fleet: the survey reports of many machines merged into fleet.html and fleet.csv.
//   kit_fleet [--out FOLDER] [--since DATE] PATH...
// Every report folder below the paths is read; a report that cannot be used is listed on the page
// with the reason, and never stops the merge.
#include "fleet/fleet_page.h"
#include "fleet/fleet_read.h"
#include "report/survey_result.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr char kUsage[] = "usage: kit_fleet [--out FOLDER] [--since YYYY-MM-DD[THH:MM:SS]] PATH...\n";

// A date as the reports give their times, to compare with them as text.
bool IsIsoDate(const std::string& text) {
  if (text.size() < 10 || text[4] != '-' || text[7] != '-') return false;
  for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u}) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  fs::path out = ".";
  std::wstring since;
  std::vector<fs::path> paths;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--out" || arg == "--since") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (arg == "--out") {
        out = value;
      } else if (IsIsoDate(value)) {
        since = fs::path(value).wstring();
      } else {
        std::fputs(("kit_fleet: --since wants a date like 2026-12-01, not \"" + value + "\"\n").c_str(), stderr);
        return kit::report::kExitUsage;
      }
    } else if (arg.starts_with("--")) {
      std::fputs(kUsage, stderr);
      return kit::report::kExitUsage;
    } else {
      paths.emplace_back(arg);
    }
  }
  if (paths.empty()) {
    std::fputs(kUsage, stderr);
    return kit::report::kExitUsage;
  }

  const kit::fleet::Fleet fleet = kit::fleet::ReadFleet(kit::fleet::FindReports(paths, out), since);

  std::error_code error;
  fs::create_directories(out, error);
  if (!kit::fleet::WriteFile(out / "fleet.csv", kit::fleet::WriteFleetCsv(fleet)) ||
      !kit::fleet::WriteFile(out / "fleet.html", kit::fleet::RenderFleetHtml(fleet))) {
    std::fputs(("kit_fleet: cannot write fleet.csv and fleet.html in " + out.string() + "\n").c_str(), stderr);
    return kit::report::kExitReportNotWritten;
  }
  std::size_t broken = 0;
  for (const auto& machine : fleet.machines) broken += machine.broken;
  std::printf("kit_fleet: %zu machines, %zu with something broken, %zu reports not read; %s\n", fleet.machines.size(),
              broken, fleet.unreadable.size(), (out / "fleet.html").string().c_str());
  return 0;
}
