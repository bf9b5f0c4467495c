// Portable. A verifier's log (DLLver.log, Halvard_DLLver.log) read back: a title line, a blank
// line, the column header "File,Reg_Info,Date,Size,Version", one row per component file and a
// closing "MDAC,<version>" line. The survey's verdict and its comparison of two reports read the
// log through this one parser.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kit::report {

struct VerifierLogRow {
  std::wstring file;          // the full path, or what the verifier wrote instead ("Unable to locate x.dll", ...)
  std::wstring registration;  // "n/a", "OK", "Not Registered", ...
  std::wstring date;          // the machine's short date format; "na" when nothing was located
  std::wstring size;          // "<n> bytes"; "na" when unknown
  std::wstring version;       // empty when the file carries no version resource
  std::wstring name;          // the component file's name as the row gives it
  bool located = false;       // `file` is a full path: the loader or the registry named the file
};

struct VerifierLog {
  std::wstring title;
  std::vector<VerifierLogRow> rows;
  std::wstring mdac;          // the data-access version of the closing line
  bool complete = false;      // the closing MDAC line was read: the verifier finished writing
};

// Lines end in CR LF or LF. Only the file column can hold a comma (a folder's name, a system error
// text): a row of more than five fields gives the extra ones to it; a row of fewer leaves the
// missing ones empty.
VerifierLog ParseVerifierLog(std::wstring_view text);

// The survey's count for a verifier's row: "<located> of <rows> located".
struct LocatedCount {
  int located = 0;
  int rows = 0;
};
LocatedCount CountLocated(const VerifierLog& log);

// The row's text as the verifier wrote it.
std::wstring RowText(const VerifierLogRow& row);

}  // namespace kit::report
