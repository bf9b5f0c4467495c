// Portable. The report's CSV: one row per program, "program,component,verdict,message", in the
// summary's order, UTF-8. Read back for the comparison with an earlier report.
#pragma once

#include "survey/survey_result.h"

#include <string>
#include <vector>

namespace kit::survey {

struct CsvRow {
  std::wstring program, component, verdict, message;
  bool operator==(const CsvRow&) const = default;
};

inline constexpr char kCsvHeader[] = "program,component,verdict,message";

std::string WriteCsv(const std::vector<ProgramResult>& results);
// Rows of a CSV written by WriteCsv (the header skipped); lines that do not parse are left out.
std::vector<CsvRow> ReadCsv(const std::string& utf8);

// UTF-8 at the file edge; the survey's texts are wide inside.
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace kit::survey
