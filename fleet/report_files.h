// Portable. The files of one survey report, wherever they lie: a report folder, or (later) a zip
// archive mailed back. kit_fleet reads every report through this one interface.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kit::fleet {

class ReportFiles {
public:
  virtual ~ReportFiles() = default;
  // Where the report came from, for the engineer ("D:\reports\kit_survey_PC7_2026-12-09_140300").
  virtual std::wstring Where() const = 0;
  // The report's own name: its folder's (or archive's) last name, which the survey made
  // "kit_survey_<machine>_<date>_<time>".
  virtual std::wstring Name() const = 0;
  // A file of the report ("report.csv", "machine.txt", "DLLver.log"), at most `limit` bytes of it;
  // nothing when the report has no such file or it cannot be read.
  virtual std::optional<std::string> Read(std::string_view file, std::size_t limit) const = 0;
  // The link from the fleet's page to the report's own page (relative where it can be).
  virtual std::wstring PageLink() const = 0;
};

}  // namespace kit::fleet
