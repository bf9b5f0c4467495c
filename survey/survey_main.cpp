// Win32-only. kit_survey: runs every program of the kit found beside it, one at a time, and writes
// one report folder (HTML page, CSV, the verifiers' logs) as it goes. The exit code is the number
// of programs found broken, hung or not starting, or one of the codes of survey_result.h.
#include "common/callback_faults.h"
#include "common/module_path.h"
#include "common/number_text.h"
#include "common/owners.h"
#include "common/system_error.h"
#include "common/utf8_text.h"
#include "common/whole_file.h"
#include "common/win32.h"
#include "report/csv_rows.h"
#include "diagnosis/diagnosis.h"
#include "report/html_report.h"
#include "report/windows_version.h"
#include "survey/diagnosis_child.h"
#include "survey/machine_facts.h"
#include "survey/program_job.h"
#include "survey/program_runs.h"
#include "survey/progress_window.h"
#include "survey/report_writer.h"
#include "catalogue/programs.h"
#include "survey/survey_files.h"
#include "survey/survey_options.h"

#include <shellapi.h>
#include <shlobj.h>

#include <atomic>

namespace {
using namespace kit::survey;
using namespace kit::report;
using namespace kit::diagnosis;

constexpr wchar_t kTitle[] = L"kit_survey";
constexpr wchar_t kUsage[] =
    L"kit_survey [--report FOLDER | --reports-in FOLDER] [--only PROGRAM,...] [--compare EARLIER\\report.csv] [--timeout SECONDS] "
    L"[--no-window]\n"
    L"kit_survey --explain FILE [--report FOLDER] [--no-window]";
// No crash-report window and no critical-error box (a missing DLL, an empty drive) may wait for a
// person: the program ends at once with its code, which the survey reads. Children inherit it.
constexpr UINT kQuietErrors = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;

std::wstring WindowsName() { return WindowsVersionText(ReadWindowsVersion()); }

// The time as the page shows it ("2026-12-08 09:30:05"), or as a folder name ends ("_2026-12-08_093005").
std::wstring Stamp(const SYSTEMTIME& time, bool forFolderName) {
  const wchar_t* clock = forFolderName ? L"" : L":";
  return (forFolderName ? L"_" : L"") + kit::Decimal(time.wYear, 4) + L"-" + kit::Decimal(time.wMonth, 2) + L"-" +
         kit::Decimal(time.wDay, 2) + (forFolderName ? L"_" : L" ") + kit::Decimal(time.wHour, 2) + clock +
         kit::Decimal(time.wMinute, 2) + clock + kit::Decimal(time.wSecond, 2);
}

// Pictures at the display's real size: without this, Windows scales the survey's view of other
// windows at 125 % and more (Vista and later; XP has no such scaling).
void BecomeDpiAware() {
  using SetAware = BOOL(WINAPI*)();
  if (auto set = reinterpret_cast<SetAware>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware")))) {
    set();
  }
}

// Printed for a command prompt (the caller's console, or wherever the output goes).
void Print(const std::wstring& line) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!out || out == INVALID_HANDLE_VALUE) {
    if (AttachConsole(ATTACH_PARENT_PROCESS)) out = GetStdHandle(STD_OUTPUT_HANDLE);
  }
  if (!out || out == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  if (GetFileType(out) == FILE_TYPE_CHAR && WriteConsoleW(out, line.c_str(), static_cast<DWORD>(line.size()), &written, nullptr)) {
    WriteConsoleW(out, L"\r\n", 2, &written, nullptr);
    return;
  }
  const std::string bytes = kit::ToUtf8(line) + "\n";
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Tell(const SurveyOptions& options, const std::wstring& text, UINT icon) {
  Print(L"kit_survey: " + text);
  if (options.window) MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | icon);
}

// The report folder: the one asked for; else one of its usual name in the folder asked for (a share
// that collects many machines' reports: there and nowhere else, so that a management tool sees the
// failure); else in the kit's folder, else in the engineer's documents, else in the temporary folder
// (a kit run from a stick that is write-protected, or from a folder the engineer may not write).
// Empty when none could be made.
std::wstring MakeReportFolder(const SurveyOptions& options, const std::wstring& name, std::wstring& note) {
  if (!options.reportFolder.empty()) {
    const std::wstring folder = FullPath(options.reportFolder);
    return MakeFolders(folder) ? folder : std::wstring();
  }
  if (!options.reportParent.empty()) {
    std::wstring parent = FullPath(options.reportParent);
    if (!parent.empty() && (parent.back() == L'\\' || parent.back() == L'/')) parent.pop_back();
    const std::wstring folder = parent + L"\\" + name;
    return MakeFolders(folder) ? folder : std::wstring();
  }
  std::vector<std::wstring> parents{kit::ProgramFolder()};
  wchar_t documents[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents))) {
    parents.emplace_back(documents);
  }
  wchar_t temp[MAX_PATH + 1] = {};
  if (GetTempPathW(static_cast<DWORD>(std::size(temp)), temp)) parents.emplace_back(temp);
  for (std::size_t i = 0; i < parents.size(); ++i) {
    std::wstring parent = parents[i];
    if (!parent.empty() && (parent.back() == L'\\' || parent.back() == L'/')) parent.pop_back();
    const std::wstring folder = parent + L"\\" + name;
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) continue;
    if (i > 0) note = L"the kit's folder " + kit::ProgramFolder() + L" cannot be written: the report went to " + parent;
    return folder;
  }
  return {};
}

// The programs the survey will run: those asked for that lie beside it.
std::vector<const kit::catalogue::KitProgram*> ProgramsToRun(const SurveyOptions& options, int& found) {
  std::vector<const kit::catalogue::KitProgram*> programs;
  found = 0;
  for (const kit::catalogue::KitProgram& program : kit::catalogue::KitPrograms()) {
    bool wanted = options.only.empty();
    for (const std::wstring& name : options.only) wanted = wanted || name == program.name;
    if (!wanted) continue;
    programs.push_back(&program);
    const std::wstring exe = kit::ProgramFolder() + L"\\" + std::wstring(program.name) + L".exe";
    if (GetFileAttributesW(exe.c_str()) != INVALID_FILE_ATTRIBUTES) ++found;
  }
  return programs;
}

// kit_survey --explain FILE: the diagnosis of that file alone, as a page and as text. What a
// reading of files cannot see is said with it.
int Explain(const SurveyOptions& options) {
  const std::wstring file = FullPath(options.explain);
  Diagnosis diagnosis = ExplainFileApart(file);
  diagnosis.lines.push_back(L"Not seen here: no library's start-up code is run, so a library that refuses to start, "
                            L"or a function that fails when it is called, shows only when the program runs.");
  std::wstring note;
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::wstring folder =
      MakeReportFolder(options, L"kit_survey_explain" + Stamp(now, true), note);
  ProgramResult result;
  result.program = file.substr(file.find_last_of(L"\\/") + 1);
  result.component = file;
  result.verdict = diagnosis.cause.empty() ? Verdict::Works : Verdict::Broken;
  result.message = diagnosis.cause.empty() ? L"nothing found wrong" : diagnosis.cause;
  result.cause = diagnosis.cause;
  result.diagnosis = diagnosis.lines;
  std::wstring text = file + L"\r\n";
  for (const std::wstring& line : diagnosis.lines) text += line + L"\r\n";
  const bool written =
      !folder.empty() && kit::WriteWholeFile(folder + L"\\explain.txt", kit::ToUtf8(text)) &&
      kit::WriteWholeFile(folder + L"\\explain.html",
                     RenderHtml(ReportHeading{MachineName(), WindowsName(), Stamp(now, false), {}},
                                {result}, {}));
  if (!written) {
    Tell(options, L"Cannot write the explanation of " + file + L" into a report folder.", MB_ICONEXCLAMATION);
    return kExitReportNotWritten;
  }
  Tell(options, file + L": " + result.message + L". The explanation is in " + folder,
       diagnosis.cause.empty() ? MB_ICONINFORMATION : MB_ICONEXCLAMATION);
  if (!diagnosis.finished) return kExitDiagnosisUnfinished;
  return diagnosis.cause.empty() ? kExitNothingFound : kExitSomethingFound;
}

// The survey's own child (diagnosis_child.h): the diagnosis, written where the survey reads it.
int DiagnoseForSurvey(const SurveyOptions& options) {
  const Diagnosis diagnosis =
      options.diagnoseFile.empty() ? DiagnoseProgram(options.diagnoseProgram) : ExplainFile(options.diagnoseFile);
  return WriteDiagnosis(diagnosis, options.into) ? 0 : kExitReportNotWritten;
}

int Survey(HINSTANCE instance, const SurveyOptions& options) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::wstring machine = MachineName();

  CsvReport earlier;
  const std::wstring compareWith = options.compareWith.empty() ? std::wstring() : FullPath(options.compareWith);
  if (!compareWith.empty()) {
    if (GetFileAttributesW(compareWith.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
      Tell(options, L"Cannot read the earlier report " + compareWith + L": it is no file.", MB_ICONEXCLAMATION);
      return kExitUsage;
    }
    earlier = ReadReportCsv(kit::ReadWholeFile(compareWith), compareWith);
    if (!earlier.isReport) {
      Tell(options, earlier.problem, MB_ICONEXCLAMATION);
      return kExitUsage;
    }
  }

  int found = 0;
  const std::vector<const kit::catalogue::KitProgram*> programs = ProgramsToRun(options, found);
  if (found == 0) {
    Tell(options, L"No program of the kit lies beside kit_survey in " + kit::ProgramFolder() + L": nothing was surveyed.",
         MB_ICONEXCLAMATION);
    return kExitNoProgram;
  }

  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(static_cast<DWORD>(std::size(temp)), temp);
  const std::wstring scratchRoot = CreateScratchFolder(temp, L"kit_survey_");
  if (scratchRoot.empty()) {
    const DWORD error = GetLastError();
    Tell(options, L"Cannot make a scratch folder in the temporary folder " + std::wstring(temp) + L": " +
                      kit::DescribeError(error) + L" (" + kit::Decimal(error) + L"). Nothing was surveyed.",
         MB_ICONEXCLAMATION);
    return kExitNoScratchFolder;
  }

  std::wstring note;
  const std::wstring reportFolder =
      MakeReportFolder(options, L"kit_survey_" + machine + Stamp(now, true), note);
  if (reportFolder.empty()) {
    RemoveTree(scratchRoot);
    const std::wstring& asked = options.reportFolder.empty() ? options.reportParent : options.reportFolder;
    Tell(options, asked.empty() ? L"Cannot create a report folder (tried the kit's folder, your documents and the temporary folder)."
                                : L"Cannot create a report folder in " + asked + L".",
         MB_ICONEXCLAMATION);
    return kExitReportNotWritten;
  }
  if (!note.empty()) Print(L"kit_survey: " + note);

  const WindowsVersion windows = ReadWindowsVersion();
  ReportWriter report(reportFolder, ReportHeading{machine, WindowsVersionText(windows), Stamp(now, false), compareWith},
                      GatherMachineRecord(windows, now), earlier, compareWith, programs.size());
  if (!note.empty()) report.Heading().date += L" (" + note + L")";

  std::atomic<bool> cancel = false;
  int outsideJob = 0;
  const auto work = [&](const ProgressReport& progress) {
    const int total = static_cast<int>(programs.size());
    for (int i = 0; i < total && !cancel.load(); ++i) {
      progress(i, total, std::wstring(programs[i]->name));
      RunSettings settings;
      settings.programFolder = kit::ProgramFolder();
      settings.scratchFolder = CreateScratchFolder(scratchRoot, std::wstring(programs[i]->name) + L"_");
      if (settings.scratchFolder.empty()) {
        // Not run: in the survey's own current folder it could write anywhere the survey may.
        const DWORD error = GetLastError();
        ProgramResult notRun;
        notRun.program = programs[i]->name;
        notRun.component = programs[i]->component;
        notRun.verdict = Verdict::CannotStart;
        notRun.message = L"no scratch folder: " + kit::DescribeError(error) + L" (" + kit::Decimal(error) + L")";
        report.Add(std::move(notRun));
        continue;
      }
      settings.reportFolder = reportFolder;
      // The bounds of a slow machine scale together: an action gets half the start's, the close a third.
      settings.bounds.startMs = options.timeoutSeconds * 1000;
      settings.bounds.actionMs = settings.bounds.startMs / 2;
      settings.bounds.closeMs = settings.bounds.startMs / 3;
      // A job of its own: what this program started ends before its scratch folder goes, and
      // nothing of it is still running while the next program is judged.
      const kit::UniqueHandleObject job = MakeEndingJob();
      settings.job = job.get();
      ProgramResult result = RunProgram(*programs[i], settings);
      EndJob(job.get(), settings.bounds.closeMs);
      outsideJob += result.outsideJob;
      RemoveTree(settings.scratchFolder);
      report.Add(std::move(result));
    }
    progress(total, total, L"");
  };
  if (options.window) {
    RunWithProgressWindow(instance, cancel, work);
  } else {
    work([](int, int, const std::wstring&) {});
  }
  RemoveTree(scratchRoot);

  const std::vector<ProgramResult>& results = report.Finish();
  if (cancel.load()) {
    report.Heading().date += L" (cancelled after " + kit::Decimal(results.size()) + L" of " +
                             kit::Decimal(programs.size()) + L" programs)";
  }
  if (outsideJob > 0) {
    report.Heading().date += L" (" + kit::Decimal(outsideJob) +
                             (outsideJob == 1 ? L" program" : L" programs") +
                             L" ran outside a job of the survey's: the system refused it)";
  }
  if (!report.Write()) {
    const DWORD error = GetLastError();
    Tell(options, L"Cannot write the report into " + reportFolder + L": " + kit::DescribeError(error),
         MB_ICONEXCLAMATION);
    return kExitReportNotWritten;
  }
  const int broken = BrokenCount(results);
  const std::wstring summary = kit::Decimal(results.size()) + L" of " + kit::Decimal(programs.size()) +
                               L" programs surveyed, " + kit::Decimal(broken) + L" found broken. The report is in " +
                               reportFolder;
  if (cancel.load()) {
    Print(L"kit_survey: cancelled; " + summary);
    return kExitCancelled;
  }
  Tell(options, summary, broken ? MB_ICONEXCLAMATION : MB_ICONINFORMATION);
  return broken;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  kit::RaiseCallbackFaults();
  // Added to what the survey was started with, never in place of it (SetErrorMode answers the mode
  // it replaces; GetErrorMode came only with Vista).
  SetErrorMode(SetErrorMode(0) | kQuietErrors);
  BecomeDpiAware();
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  {
    const kit::UniqueLocal ownedWords(words);
    for (int i = 1; i < count; ++i) arguments.emplace_back(words[i]);
  }
  const SurveyOptions options = ParseOptions(arguments);
  if (!options.error.empty()) {
    Tell(options, options.error + L"\n\n" + kUsage, MB_ICONEXCLAMATION);
    return kExitUsage;
  }
  if (!options.into.empty()) return DiagnoseForSurvey(options);
  if (!options.explain.empty()) return Explain(options);
  return Survey(instance, options);
}
