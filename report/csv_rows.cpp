// Portable. CSV quoting as spreadsheets read it: a field with a comma, quote or line break is
// quoted, quotes doubled; a field a spreadsheet would run as a formula is guarded by an apostrophe.
#include "report/csv_rows.h"

#include "common/utf8_text.h"

#include <algorithm>

namespace kit::report {
namespace {

// The first characters that make a spreadsheet read a cell as a formula (tab and carriage return
// because some spreadsheets drop them and read on).
constexpr std::string_view kFormulaStarts = "=+-@\t\r";
// A cell starting with an apostrophe is text to every spreadsheet, which hides the apostrophe.
constexpr char kFormulaGuard = '\'';

// True when the text, past any apostrophes it starts with, starts as a formula: the writer guards
// exactly these fields, so the reader takes the guard off exactly these.
bool NeedsGuard(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kFormulaGuard);
  return first != std::string_view::npos && kFormulaStarts.find(text[first]) != std::string_view::npos;
}

}  // namespace

std::string CsvField(std::wstring_view text) {
  std::string utf8 = ToUtf8(text);
  if (NeedsGuard(utf8)) utf8.insert(utf8.begin(), kFormulaGuard);
  if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
  std::string quoted = "\"";
  for (char c : utf8) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

namespace {

// Splits one record starting at `at`; moves `at` past it.
std::vector<std::string> Record(std::string_view text, std::size_t& at) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  while (at < text.size()) {
    const char c = text[at++];
    if (quoted) {
      if (c == '"' && at < text.size() && text[at] == '"') {
        fields.back() += '"';
        ++at;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == '\n') {
      break;
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  for (std::string& field : fields) {
    if (field.starts_with(kFormulaGuard) && NeedsGuard(field)) field.erase(0, 1);
  }
  return fields;
}

constexpr std::string_view kByteOrderMark = kCsvByteOrderMark;
constexpr std::string_view kInProgress = "in progress: ";  // as InProgress (survey_result.h) begins

bool IsHeader(std::string_view line) {
  if (line.ends_with('\r')) line.remove_suffix(1);
  const std::string_view header = kCsvHeader;
  return line == header || (line.starts_with(header) && line[header.size()] == ',');
}

}  // namespace

std::string WriteCsv(const std::vector<ProgramResult>& results, std::wstring_view progress) {
  std::string csv = std::string(kByteOrderMark) + kCsvHeader + "," + kCsvCauseColumn + "\r\n";
  for (const ProgramResult* result : SummaryOrder(results)) {
    csv += CsvField(result->program) + "," + CsvField(result->component) + "," + CsvField(VerdictWord(result->verdict)) + "," +
           CsvField(result->message) + "," + CsvField(result->cause) + "\r\n";
  }
  if (!progress.empty()) csv += CsvField(progress) + "\r\n";
  return csv;
}

CsvReport ReadReportCsv(std::string_view utf8, std::wstring_view source) {
  CsvReport report;
  if (utf8.starts_with(kByteOrderMark)) utf8.remove_prefix(kByteOrderMark.size());
  const std::wstring notReport = std::wstring(source) + L" is not a kit_survey report.csv";
  if (utf8.empty()) {
    report.problem = notReport + L" (it is empty, or not a file)";
    return report;
  }
  std::size_t at = std::min(utf8.find('\n'), utf8.size());
  if (!IsHeader(utf8.substr(0, at))) {
    report.problem = notReport + L" (its first line is not \"" + FromUtf8(kCsvHeader) + L"\")";
    return report;
  }
  report.isReport = true;
  ++at;
  while (at < utf8.size()) {
    const std::vector<std::string> fields = Record(utf8, at);
    // A line of one field is no program's: "in progress: N of M" says the survey had not ended.
    if (fields.size() == 1 && fields[0].starts_with(kInProgress)) report.progress = FromUtf8(fields[0]);
    if (fields.size() < 4) continue;
    report.rows.push_back({FromUtf8(fields[0]), FromUtf8(fields[1]), FromUtf8(fields[2]), FromUtf8(fields[3]),
                           fields.size() > 4 ? FromUtf8(fields[4]) : std::wstring()});
  }
  return report;
}

std::vector<CsvRow> ReadCsv(const std::string& utf8) { return ReadReportCsv(utf8, L"").rows; }

}  // namespace kit::report
