// Portable. The report page: one self-contained HTML file (UTF-8) with the differences from an
// earlier report first, then the summary table (broken rows first), then one section per program
// with its texts and its pictures embedded as PNG data.
#pragma once

#include "report/comparison.h"
#include "report/survey_result.h"

#include <string>
#include <vector>

namespace kit::report {

struct ReportHeading {
  std::wstring machine;
  std::wstring windows;  // WindowsVersionText of the system surveyed; empty when it could not be read
  std::wstring date;
  std::wstring comparedWith;  // the earlier CSV, empty when there is none
  std::wstring earlierProgress{};  // that CSV's "in progress: N of M" when its survey had not ended
  std::wstring progress{};  // InProgress(N, M) while the survey runs; empty in the final report
};

// Text for a page (UTF-8), with the characters that HTML reads as markup written as entities;
// safe inside an element and inside a quoted attribute.
std::string EscapeHtml(std::wstring_view text);

std::string RenderHtml(const ReportHeading& heading, const std::vector<ProgramResult>& results,
                       const std::vector<Difference>& differences);

}  // namespace kit::report
