// Portable. One survey report as the fleet sees it: the machine it describes (from machine.txt, or
// for reports of earlier kits from the folder's name and the page's heading), its summary rows and
// its verifiers' component files, reduced as it is read to what the merge needs, each text an id
// into the fleet's pool. A report that cannot be used says why instead.
#pragma once

#include "fleet/report_files.h"
#include "fleet/text_pool.h"

#include <string>
#include <vector>

namespace kit::fleet {

struct MachineFacts {
  std::wstring machine;       // the computer's name
  std::wstring windows;       // as the survey named it; "unknown" when nothing tells
  std::wstring build;         // "" when unknown
  std::wstring architecture;  // "" when unknown
  std::wstring surveyed;      // ISO 8601 local time, "2026-12-09T14:03:00"; "" when unknown
  std::wstring kit;           // the kit's version; "" for reports of kits that did not say
};

// A row of report.csv; the cause is "" in an earlier kit's four-column report.
struct ReportRow {
  TextId program, component, verdict, message, cause;
};

// A component file as the verifiers found it, in the terms the fleet compares machines by.
struct ReportComponent {
  TextId name;     // as the first log that lists it spells it
  TextId key;      // the name in lower case
  TextId place;    // report::ComponentPlace of the path; kNotLocated
  TextId shownPlace;  // the same as the path spells it (report::ShownComponentPlace); kNotLocated
  TextId version;  // kNoVersion for a file without one; kNoText when not located
  TextId size;     // "<n> bytes"; kNoText when not located
};

inline constexpr wchar_t kNotLocated[] = L"(not located)";
inline constexpr wchar_t kNoVersion[] = L"(no version)";

struct MachineReport {
  std::wstring where;
  std::wstring link;
  MachineFacts facts;
  std::vector<ReportRow> rows;
  std::vector<ReportComponent> components;  // both verifiers' rows, each file once (first log first)
  std::wstring problem;  // why the report cannot be used; "" for a readable one
};

// The verifiers' logs a report holds beside its CSV.
inline constexpr const char* kVerifierLogs[] = {"DLLver.log", "Halvard_DLLver.log"};

// machine.txt: UTF-8 "key=value" lines; unknown keys and malformed lines are passed over.
MachineFacts ParseMachineFile(std::string_view utf8);
// "kit_survey_<machine>_2026-12-09_140300": the machine and the time; false for another name.
bool FactsFromFolderName(std::wstring_view name, MachineFacts& facts);
// The Windows the page's heading names ("64-bit Windows 10.0 build 19045 Service Pack 3").
void FactsFromPageHeading(std::string_view page, MachineFacts& facts);

// The report's texts go into `texts`, shared by every report of the fleet.
MachineReport ReadMachineReport(const ReportFiles& files, TextPool& texts);

}  // namespace kit::fleet
