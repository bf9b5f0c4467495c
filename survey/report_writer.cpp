// Win32-only. The report folder written in the background, one program's turn at a time.
#include "survey/report_writer.h"

#include "common/ansi_text.h"
#include "diagnosis/diagnosis.h"
#include "survey/diagnosis_child.h"
#include "report/png_writer.h"
#include "survey/survey_files.h"
#include "common/whole_file.h"

namespace kit::survey {
using namespace kit::diagnosis;
using namespace kit::report;
namespace {

// Why a broken or hung component is so: what its registration, files and dependencies tell, read
// by a child process of the survey.
void Diagnose(ProgramResult& result) {
  if (result.verdict != Verdict::Broken && result.verdict != Verdict::Hung) return;
  Diagnosis diagnosis = DiagnoseProgramApart(result.program);
  result.cause = std::move(diagnosis.cause);
  result.diagnosis = std::move(diagnosis.lines);
}

std::vector<Difference> Differences(const CsvReport& earlier, const std::wstring& earlierFile,
                                    const std::vector<ProgramResult>& results, const std::wstring& reportFolder) {
  std::vector<Difference> differences = CompareRows(earlier.rows, ReadCsv(WriteCsv(results)));
  const std::wstring earlierFolder = earlierFile.substr(0, earlierFile.find_last_of(L"\\/"));
  for (const ProgramResult& result : results) {
    if (result.logFile.empty()) continue;
    const std::wstring before = earlierFolder + L"\\" + result.logFile;
    if (GetFileAttributesW(before.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    const auto more = CompareLogs(result.logFile, kit::FromAnsi(ReadWholeFile(before)),
                                  kit::FromAnsi(ReadWholeFile(reportFolder + L"\\" + result.logFile)));
    differences.insert(differences.end(), more.begin(), more.end());
  }
  return differences;
}

}  // namespace

ReportWriter::ReportWriter(std::wstring folder, ReportHeading heading, MachineRecord machine, CsvReport earlier,
                           std::wstring earlierFile, std::size_t total)
    : m_folder(std::move(folder)),
      m_heading(std::move(heading)),
      m_machine(FormatMachineRecord(machine)),
      m_earlier(std::move(earlier)),
      m_earlierFile(std::move(earlierFile)),
      m_total(total) {
  m_heading.earlierProgress = m_earlier.progress;
  WriteFiles(InProgress(0, m_total));
}

ReportWriter::~ReportWriter() { Finish(); }

void ReportWriter::Add(ProgramResult result) {
  Finish();
  m_results.push_back(std::move(result));
  m_turn.reset(CreateThread(nullptr, 0, Turn, this, 0, nullptr));
  if (!m_turn) Update();  // no thread to be had: the turn is taken here and now
}

const std::vector<ProgramResult>& ReportWriter::Finish() {
  if (m_turn) {
    WaitForSingleObject(m_turn.get(), INFINITE);
    m_turn.reset();
  }
  return m_results;
}

DWORD WINAPI ReportWriter::Turn(void* self) {
  static_cast<ReportWriter*>(self)->Update();
  return 0;
}

void ReportWriter::Update() {
  ProgramResult& latest = m_results.back();
  for (Picture& picture : latest.pictures) EncodePicture(picture);
  Diagnose(latest);
  if (!m_earlierFile.empty()) m_differences = Differences(m_earlier, m_earlierFile, m_results, m_folder);
  WriteFiles(InProgress(m_results.size(), m_total));
}

bool ReportWriter::Write() { return WriteFiles(L""); }

bool ReportWriter::WriteFiles(const std::wstring& progress) {
  m_heading.progress = progress;
  // machine.txt with every writing, after the two files a person reads: a report folder is whole at
  // any moment a survey may be killed.
  return WriteWholeFile(m_folder + L"\\report.csv", WriteCsv(m_results, progress)) &&
         WriteWholeFile(m_folder + L"\\report.html", RenderHtml(m_heading, m_results, m_differences)) &&
         WriteWholeFile(m_folder + L"\\machine.txt", m_machine);
}

}  // namespace kit::survey
