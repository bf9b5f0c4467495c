// Portable. Survey reports found below the paths kit_fleet is given (and the paths themselves):
// every folder that holds a report.csv, a machine.txt or a report.html, every report in a zip
// archive (fleet/report_archives.h), and the problems met on the way.
#pragma once

#include "fleet/fleet_disk.h"
#include "fleet/report_files.h"

#include <memory>
#include <string>
#include <vector>

namespace kit::fleet {

struct FoundReports {
  std::vector<std::unique_ptr<ReportFiles>> reports;  // in path order
  std::vector<std::pair<std::wstring, std::wstring>> problems;  // a path and why it was not read
};

// `pageFolder`: where fleet.html will lie, for the links to each report's page.
FoundReports FindReports(const std::vector<DiskPath>& paths, const DiskPath& pageFolder);

bool WriteFile(const DiskPath& path, const std::string& bytes);

}  // namespace kit::fleet
