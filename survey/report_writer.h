// Win32-only. The survey's report folder (report.html, report.csv, machine.txt), written again after each
// program so that a survey that is killed leaves what it had found; until the survey ends, both
// say so ("in progress: N of M" in the page's heading and on the CSV's last line). What follows a program (its
// pictures encoded, a broken component diagnosed, the differences from an earlier report, both
// files written) is done on a thread of its own while the next program runs: the survey's own
// work is off the engineer's wait, and one program's turn waits for the previous one's.
#pragma once

#include "common/owners.h"
#include "report/comparison.h"
#include "report/csv_rows.h"
#include "report/html_report.h"
#include "report/machine_record.h"
#include "report/survey_result.h"

#include <string>
#include <vector>

namespace kit::survey {
using namespace kit::report;

class ReportWriter {
public:
  // `earlierFile` is the CSV of an earlier report to compare with ("" for none), `earlier` its rows;
  // `total` the number of programs the survey will run. Writes the report of none surveyed yet.
  ReportWriter(std::wstring folder, ReportHeading heading, MachineRecord machine, CsvReport earlier,
               std::wstring earlierFile, std::size_t total);
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;
  ~ReportWriter();

  // Takes a program's result, its pictures not yet encoded, and writes the report again with it.
  void Add(ProgramResult result);
  // Waits until everything taken is written: the results as they stand, pictures encoded.
  const std::vector<ProgramResult>& Finish();
  // Once finished: the heading, for a last word, and the final report written with it, which says
  // nothing of progress.
  ReportHeading& Heading() { return m_heading; }
  bool Write();

private:
  static DWORD WINAPI Turn(void* self);
  void Update();
  // `progress`: InProgress(N, M), or "" for the final report.
  bool WriteFiles(const std::wstring& progress);

  std::wstring m_folder;
  ReportHeading m_heading;
  std::string m_machine;  // machine.txt's bytes
  CsvReport m_earlier;
  std::wstring m_earlierFile;
  std::vector<ProgramResult> m_results;
  std::vector<Difference> m_differences;
  std::size_t m_total;
  UniqueHandleObject m_turn;  // the thread of the program taken last, until it is done
};

}  // namespace kit::survey
