// Win32-only. The record is UTF-8 text: a heading line, the cause, one line per page line, and a
// closing line; a record without its closing line was cut short. Each child runs in a job of its
// own that ends it, and whatever it started, when the survey lets go of the job or is itself ended.
#include "survey/diagnosis_child.h"

#include "common/module_path.h"
#include "common/number_text.h"
#include "common/owners.h"
#include "common/system_error.h"
#include "common/utf8_text.h"
#include "common/whole_file.h"
#include "survey/exit_status.h"
#include "survey/program_job.h"

namespace kit::survey {
using kit::diagnosis::Diagnosis;
namespace {

constexpr char kHeading[] = "kit_survey diagnosis";
constexpr char kClosing[] = "end of diagnosis";

// One line of the record: line breaks and tabs in a registry value or a path become spaces.
std::string RecordLine(const std::wstring& text) {
  std::wstring flat = text;
  for (wchar_t& c : flat) {
    if (c == L'\r' || c == L'\n' || c == L'\t') c = L' ';
  }
  return kit::ToUtf8(flat) + "\n";
}

Diagnosis Unfinished(const std::wstring& why) {
  Diagnosis diagnosis;
  diagnosis.finished = false;
  diagnosis.cause = L"the diagnosis did not finish: " + why;
  diagnosis.lines.push_back(diagnosis.cause);
  return diagnosis;
}

bool ReadRecord(const std::string& record, Diagnosis& diagnosis) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < record.size()) {
    const std::size_t end = record.find('\n', start);
    if (end == std::string::npos) return false;  // a line cut short
    lines.push_back(record.substr(start, end - start));
    start = end + 1;
  }
  if (lines.size() < 3 || lines.front() != kHeading || lines.back() != kClosing) return false;
  diagnosis.cause = kit::FromUtf8(lines[1]);
  for (std::size_t i = 2; i + 1 < lines.size(); ++i) diagnosis.lines.push_back(kit::FromUtf8(lines[i]));
  return true;
}

std::wstring TemporaryFile() {
  wchar_t folder[MAX_PATH + 1] = {};
  wchar_t file[MAX_PATH + 1] = {};
  if (!GetTempPathW(static_cast<DWORD>(std::size(folder)), folder) || !GetTempFileNameW(folder, L"kd", 0, file)) {
    return {};
  }
  return file;
}

}  // namespace

Diagnosis DiagnoseProgramApart(const std::wstring& program) {
  return DiagnoseApart(kit::ModulePath(nullptr), L"--diagnose " + Quoted(program), kDiagnosisBoundMs);
}

Diagnosis ExplainFileApart(const std::wstring& file) {
  return DiagnoseApart(kit::ModulePath(nullptr), L"--diagnose-file " + Quoted(file), kDiagnosisBoundMs);
}

std::wstring Quoted(const std::wstring& value) {
  // Backslashes are literal except before a quote; those before the closing quote are doubled.
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : value) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

bool WriteDiagnosis(const Diagnosis& diagnosis, const std::wstring& into) {
  std::string record = std::string(kHeading) + "\n" + RecordLine(diagnosis.cause);
  for (const std::wstring& line : diagnosis.lines) record += RecordLine(line);
  record += std::string(kClosing) + "\n";
  return WriteWholeFile(into, record);
}

Diagnosis DiagnoseApart(const std::wstring& program, const std::wstring& arguments, DWORD boundMs) {
  const std::wstring into = TemporaryFile();
  if (into.empty()) return Unfinished(L"no temporary file for it could be made (" + kit::DescribeError(GetLastError()) + L")");
  struct Removed {
    const std::wstring& path;
    ~Removed() { DeleteFileW(path.c_str()); }
  } removed{into};

  const kit::UniqueHandleObject job = MakeEndingJob();
  std::wstring commandLine = Quoted(program) + L" " + arguments + L" --into " + Quoted(into);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  // Started suspended, so it is in its job before it runs a line.
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                      &startup, &started)) {
    const DWORD error = GetLastError();
    return Unfinished(L"it could not be started (" + kit::DescribeError(error) + L", error " + kit::Decimal(error) + L")");
  }
  const kit::UniqueHandleObject process(started.hProcess), thread(started.hThread);
  const bool inJob = job && AssignProcessToJobObject(job.get(), process.get());
  ResumeThread(thread.get());
  if (WaitForSingleObject(process.get(), boundMs) != WAIT_OBJECT_0) {
    if (inJob) TerminateJobObject(job.get(), ERROR_TIMEOUT);
    TerminateProcess(process.get(), ERROR_TIMEOUT);
    WaitForSingleObject(process.get(), 5000);
    return Unfinished(L"it ran past " + kit::Decimal(boundMs / 1000) + L" s and was ended");
  }
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  if (IsCrashCode(code)) return Unfinished(L"it " + DescribeEnd(code));
  Diagnosis diagnosis;
  if (!ReadRecord(ReadWholeFile(into, std::size_t{16} << 20), diagnosis)) {
    return Unfinished(L"it wrote no whole diagnosis (" + DescribeEnd(code) + L")");
  }
  return diagnosis;
}

}  // namespace kit::survey
