// Portable. The differences between this report and an earlier one (for example from a machine
// where the application works): programs whose verdict or message changed, and component files
// whose location, size, date or version differ between the two verifier logs.
#pragma once

#include "report/csv_rows.h"

#include <string>
#include <vector>

namespace kit::report {

struct Difference {
  std::wstring subject;  // a program, or "<log>: <file>"
  std::wstring earlier;
  std::wstring now;
};

// Where a verifier found a file, for comparing machines: the path in lower case, with System32 and
// SysWOW64 (where 32-bit programs on 64-bit Windows find the same system files) as one place, under
// any drive and Windows folder ("C:\\Windows", "D:\\WINNT").
std::wstring ComponentPlace(std::wstring_view file);
// The same place as the file's own path spells it, for showing ("<system folder>\\MSCOMCTL.OCX",
// "D:\\Apps\\Sales\\VELcdg.dll").
std::wstring ShownComponentPlace(std::wstring_view file);

// Programs present in both reports whose verdict or message differ, and programs in only one.
std::vector<Difference> CompareRows(const std::vector<CsvRow>& earlier, const std::vector<CsvRow>& now);

// Two verifier logs (the text of each file), matched by component file name: the data-access
// line, then each file located on one machine only, or found in another place (System32 and
// SysWOW64 count as one), or with another version, size or date (dates only where one date
// pattern fits both logs). `earlier` and `now` give the rows as the logs wrote them.
std::vector<Difference> CompareLogs(std::wstring_view logName, std::wstring_view earlier, std::wstring_view now);

}  // namespace kit::report
