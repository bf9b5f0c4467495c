// Portable. Comparing two reports row by row, and two verifier logs file by file.
#include "report/comparison.h"

#include "report/date_pattern.h"
#include "common/letter_case.h"
#include "report/verifier_log.h"

#include <algorithm>
#include <map>

namespace kit::report {
namespace {

constexpr wchar_t kNotListed[] = L"(not listed)";

std::wstring Describe(const CsvRow& row) { return row.verdict + (row.message.empty() ? L"" : L": " + row.message); }

// A component file that differs between the two machines: located on one only, or, located on
// both, found in another place or with another version, size or (where comparable) date. Two rows
// that both failed to locate the file say nothing more about it.
bool Differs(const VerifierLogRow& earlier, const VerifierLogRow& now, bool compareDates) {
  if (earlier.located != now.located) return true;
  if (!now.located) return false;
  return ComponentPlace(earlier.file) != ComponentPlace(now.file) || earlier.version != now.version || earlier.size != now.size ||
         (compareDates && earlier.date != now.date);
}

// A log's rows by the file's name in lower case; a file listed twice: the first row counts.
std::map<std::wstring, const VerifierLogRow*> RowsByName(const VerifierLog& log) {
  std::map<std::wstring, const VerifierLogRow*> rows;
  for (const VerifierLogRow& row : log.rows) rows.emplace(Lower(row.name), &row);
  return rows;
}

DatePattern DatesOf(const VerifierLog& log) {
  std::vector<std::wstring> dates;
  for (const VerifierLogRow& row : log.rows) dates.push_back(row.date);
  return DetectDatePattern(dates);
}

std::wstring MdacText(const VerifierLog& log) { return log.complete ? L"MDAC," + log.mdac : kNotListed; }

}  // namespace

namespace {
constexpr std::wstring_view kSystemFolder = L"<system folder>\\";
}  // namespace

std::wstring ComponentPlace(std::wstring_view file) {
  constexpr std::wstring_view kTwins[] = {L"system32\\", L"syswow64\\"};
  std::wstring place = Lower(file);
  std::replace(place.begin(), place.end(), L'/', L'\\');
  const std::size_t windows = place.find(L'\\', 3);
  if (place.size() < 3 || place[1] != L':' || place[2] != L'\\' || windows == std::wstring::npos) return place;
  const std::wstring_view inWindows = std::wstring_view(place).substr(windows + 1);
  for (const std::wstring_view twin : kTwins) {
    if (inWindows.starts_with(twin)) return std::wstring(kSystemFolder).append(inWindows.substr(twin.size()));
  }
  return place;
}

std::wstring ShownComponentPlace(std::wstring_view file) {
  // Lower case keeps each character where it was: the compared place's tail is the path's own.
  const std::wstring place = ComponentPlace(file);
  std::wstring shown(file);
  std::replace(shown.begin(), shown.end(), L'/', L'\\');
  if (!place.starts_with(kSystemFolder) || place.size() - kSystemFolder.size() > shown.size()) return shown;
  return std::wstring(kSystemFolder).append(shown.substr(shown.size() - (place.size() - kSystemFolder.size())));
}

std::vector<Difference> CompareRows(const std::vector<CsvRow>& earlier, const std::vector<CsvRow>& now) {
  std::vector<Difference> differences;
  for (const CsvRow& row : now) {
    const CsvRow* before = nullptr;
    for (const CsvRow& candidate : earlier) {
      if (candidate.program == row.program) before = &candidate;
    }
    if (!before) {
      differences.push_back({row.program, L"(not in the earlier report)", Describe(row)});
    } else if (before->verdict != row.verdict || before->message != row.message) {
      differences.push_back({row.program, Describe(*before), Describe(row)});
    }
  }
  for (const CsvRow& before : earlier) {
    bool present = false;
    for (const CsvRow& row : now) present = present || row.program == before.program;
    if (!present) differences.push_back({before.program, Describe(before), L"(not in this report)"});
  }
  return differences;
}

std::vector<Difference> CompareLogs(std::wstring_view logName, std::wstring_view earlier, std::wstring_view now) {
  const VerifierLog before = ParseVerifierLog(earlier);
  const VerifierLog after = ParseVerifierLog(now);
  const bool compareDates = SameDatePattern(DatesOf(before), DatesOf(after));
  const auto beforeRows = RowsByName(before);
  const auto afterRows = RowsByName(after);
  std::vector<Difference> differences;
  const std::wstring prefix = std::wstring(logName) + L": ";
  if (MdacText(before) != MdacText(after)) differences.push_back({prefix + L"MDAC", MdacText(before), MdacText(after)});
  for (const auto& [file, row] : afterRows) {
    const auto match = beforeRows.find(file);
    if (match == beforeRows.end()) {
      differences.push_back({prefix + file, kNotListed, RowText(*row)});
    } else if (Differs(*match->second, *row, compareDates)) {
      differences.push_back({prefix + file, RowText(*match->second), RowText(*row)});
    }
  }
  for (const auto& [file, row] : beforeRows) {
    if (!afterRows.contains(file)) differences.push_back({prefix + file, RowText(*row), kNotListed});
  }
  return differences;
}

}  // namespace kit::report
