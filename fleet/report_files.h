// Portable. The files of one survey report, wherever they lie: a report folder, or a report inside
// a zip archive mailed back. kit_fleet reads every report through this one interface.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kit::fleet {

// A folder (of the disk or of an archive) that holds any of these files is a report.
inline constexpr const char* kReportMarks[] = {"report.csv", "machine.txt", "report.html"};

class ReportFiles {
public:
  virtual ~ReportFiles() = default;
  // Where the report came from, for the engineer ("D:\reports\kit_survey_PC7_2026-12-09_140300",
  // "D:\mail\PC7.zip\kit_survey_PC7_2026-12-09_140300").
  virtual std::wstring Where() const = 0;
  // The report's own name: its folder's (or archive's) last name, which the survey made
  // "kit_survey_<machine>_<date>_<time>".
  virtual std::wstring Name() const = 0;
  // A file of the report ("report.csv", "machine.txt", "DLLver.log"), at most `limit` bytes of it;
  // nothing when the report has no such file or it cannot be read.
  virtual std::optional<std::string> Read(std::string_view file, std::size_t limit) const = 0;
  // The link from the fleet's page to the report's own page (relative where it can be); for a report
  // inside an archive, which no browser opens, the archive itself.
  virtual std::wstring PageLink() const = 0;
};

}  // namespace kit::fleet
