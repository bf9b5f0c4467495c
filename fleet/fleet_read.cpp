// Portable. Reading every report found and merging them.
#include "fleet/fleet_read.h"

namespace kit::fleet {

Fleet ReadFleet(FoundReports found, std::wstring_view since) {
  TextPool texts;
  std::vector<MachineReport> reports;
  reports.reserve(found.reports.size() + found.problems.size());
  for (auto& [where, why] : found.problems) {
    MachineReport bad;
    bad.where = std::move(where);
    bad.problem = std::move(why);
    reports.push_back(std::move(bad));
  }
  for (auto& files : found.reports) {
    reports.push_back(ReadMachineReport(*files, texts));
    files.reset();
  }
  return MergeFleet(std::move(reports), std::move(texts), since);
}

}  // namespace kit::fleet
