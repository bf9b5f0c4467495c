// Portable. The report's CSV: one row per program, "program,component,verdict,message,cause", in the
// summary's order, UTF-8 with a byte-order mark (a spreadsheet otherwise reads the file in the
// system's code page and garbles every non-English message). Read back, with or without the mark,
// for the comparison with an earlier report. While the survey runs, a last line of one field,
// "in progress: N of M", says the report is not whole: a reader of four columns and more leaves it
// out, as kit_survey before it did.
#pragma once

#include "report/survey_result.h"

#include <string>
#include <string_view>
#include <vector>

namespace kit::report {

struct CsvRow {
  std::wstring program, component, verdict, message;
  std::wstring cause{};  // "" in a four-column report
  bool operator==(const CsvRow&) const = default;
};

// The columns every report has had; a report now writes a fifth, "cause", which the comparison
// does not read (earlier four-column reports compare the same).
inline constexpr char kCsvHeader[] = "program,component,verdict,message";
inline constexpr char kCsvCauseColumn[] = "cause";

// The report is opened at the support office in a spreadsheet, which runs a field starting with
// "=", "+", "-", "@", tab or carriage return as a formula: such a field (also one whose leading
// apostrophes stand before one of those) is written with one apostrophe more in front, and read
// back without it.
// `progress`, when not empty, is the last line: InProgress(N, M) while the survey runs.
std::string WriteCsv(const std::vector<ProgramResult>& results, std::wstring_view progress = {});

// One field as WriteCsv writes it: guarded against formulas, quoted where it needs to be. For
// other tables written for spreadsheets (kit_fleet's), which start with the same byte-order mark.
std::string CsvField(std::wstring_view text);
inline constexpr char kCsvByteOrderMark[] = "\xEF\xBB\xBF";

// An earlier report's CSV as read for the comparison. A file whose first line is not the header
// (a further trailing column allowed) is no report of the survey: a CSV a spreadsheet re-saved,
// the report page, a folder or an empty file. `problem` then says so for the engineer, naming
// `source`, and there are no rows.
struct CsvReport {
  bool isReport = false;
  std::vector<CsvRow> rows;  // columns past the fifth ignored; a line of fewer than four is left out
  std::wstring problem;
  std::wstring progress;  // "in progress: N of M" of a survey that had not ended; "" for a whole report
};
CsvReport ReadReportCsv(std::string_view utf8, std::wstring_view source);

// The rows of ReadReportCsv, none when the text is not a report CSV.
std::vector<CsvRow> ReadCsv(const std::string& utf8);

}  // namespace kit::report
