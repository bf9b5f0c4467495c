// Win32-only. kit_survey: runs every program of the kit found beside it, one at a time, and writes
// one report folder (HTML page, CSV, the verifiers' logs). The exit code is the number of
// components found broken.
#include "common/ansi_text.h"
#include "common/owners.h"
#include "common/win32.h"
#include "survey/comparison.h"
#include "survey/csv_rows.h"
#include "survey/html_report.h"
#include "survey/program_runs.h"
#include "survey/progress_window.h"
#include "survey/survey_catalogue.h"
#include "survey/survey_options.h"

#include <shellapi.h>

#include <atomic>
#include <fstream>
#include <sstream>

namespace {
using namespace kit::survey;

constexpr wchar_t kTitle[] = L"kit_survey";
constexpr int kUsageExit = -1;

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

std::wstring MachineName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = static_cast<DWORD>(std::size(name));
  return GetComputerNameW(name, &size) ? std::wstring(name, size) : L"unknown";
}

std::wstring Stamp(const SYSTEMTIME& time, const wchar_t* format) {
  wchar_t text[64];
  swprintf(text, std::size(text), format, time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond);
  return text;
}

// Creates a folder and the folders above it that are missing.
bool MakeFolders(const std::wstring& folder) {
  if (GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const std::size_t slash = folder.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash > 2) MakeFolders(folder.substr(0, slash));
  return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Removes a scratch folder and what the program left in it; what cannot go stays.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

bool WriteFile(const std::wstring& path, const std::string& bytes) {
  std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  std::ostringstream bytes;
  if (file) bytes << file.rdbuf();
  return bytes.str();
}

void Complain(const SurveyOptions& options, const std::wstring& text) {
  if (options.window) MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | MB_ICONEXCLAMATION);
}

std::vector<Difference> Differences(const SurveyOptions& options, const std::vector<ProgramResult>& results,
                                    const std::wstring& reportFolder) {
  const std::string earlier = ReadFile(options.compareWith);
  std::vector<Difference> differences = CompareRows(ReadCsv(earlier), ReadCsv(WriteCsv(results)));
  const std::wstring earlierFolder = options.compareWith.substr(0, options.compareWith.find_last_of(L"\\/"));
  for (const ProgramResult& result : results) {
    if (result.logFile.empty()) continue;
    const std::wstring before = earlierFolder + L"\\" + result.logFile;
    if (GetFileAttributesW(before.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    const auto more = CompareLogs(result.logFile, kit::FromAnsi(ReadFile(before)),
                                  kit::FromAnsi(ReadFile(reportFolder + L"\\" + result.logFile)));
    differences.insert(differences.end(), more.begin(), more.end());
  }
  return differences;
}

int Survey(HINSTANCE instance, const SurveyOptions& options) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::wstring machine = MachineName();
  std::wstring reportFolder = options.reportFolder;
  if (reportFolder.empty()) {
    wchar_t current[MAX_PATH * 4] = {};
    GetCurrentDirectoryW(static_cast<DWORD>(std::size(current)), current);
    reportFolder = std::wstring(current) + L"\\kit_survey_" + machine + Stamp(now, L"_%04u-%02u-%02u_%02u%02u%02u");
  }
  if (!MakeFolders(reportFolder)) {
    Complain(options, L"Cannot create the report folder " + reportFolder);
    return kUsageExit;
  }
  if (!options.compareWith.empty() && GetFileAttributesW(options.compareWith.c_str()) == INVALID_FILE_ATTRIBUTES) {
    Complain(options, L"Cannot read the earlier report " + options.compareWith);
    return kUsageExit;
  }

  std::vector<const SurveyedProgram*> programs;
  for (const SurveyedProgram& program : KitPrograms()) {
    bool wanted = options.only.empty();
    for (const std::wstring& name : options.only) wanted = wanted || name == program.name;
    if (wanted) programs.push_back(&program);
  }

  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(static_cast<DWORD>(std::size(temp)), temp);
  const std::wstring scratchRoot = std::wstring(temp) + L"kit_survey_" + std::to_wstring(GetCurrentProcessId());

  std::atomic<bool> cancel = false;
  std::vector<ProgramResult> results;
  const auto work = [&](const ProgressReport& progress) {
    const int total = static_cast<int>(programs.size());
    for (int i = 0; i < total && !cancel.load(); ++i) {
      progress(i, total, std::wstring(programs[i]->name));
      RunSettings settings;
      settings.programFolder = ProgramFolder();
      settings.scratchFolder = scratchRoot + L"\\" + std::wstring(programs[i]->name);
      settings.reportFolder = reportFolder;
      settings.timeoutMs = options.timeoutSeconds * 1000;
      MakeFolders(settings.scratchFolder);
      results.push_back(RunProgram(*programs[i], settings));
      RemoveTree(settings.scratchFolder);
    }
    progress(total, total, L"");
  };
  if (options.window) {
    RunWithProgressWindow(instance, cancel, work);
  } else {
    work([](int, int, const std::wstring&) {});
  }
  RemoveTree(scratchRoot);

  ReportHeading heading{machine, Stamp(now, L"%04u-%02u-%02u %02u:%02u:%02u"), options.compareWith};
  if (cancel.load()) {
    heading.date += L" (cancelled after " + std::to_wstring(results.size()) + L" of " +
                    std::to_wstring(programs.size()) + L" programs)";
  }
  const std::vector<Difference> differences =
      options.compareWith.empty() ? std::vector<Difference>{} : Differences(options, results, reportFolder);
  const bool written = WriteFile(reportFolder + L"\\report.csv", WriteCsv(results)) &&
                       WriteFile(reportFolder + L"\\report.html", RenderHtml(heading, results, differences));
  if (!written) {
    Complain(options, L"Cannot write the report into " + reportFolder);
    return kUsageExit;
  }
  return BrokenCount(results);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(words[i]);
  LocalFree(words);
  const SurveyOptions options = ParseOptions(arguments);
  if (!options.error.empty()) {
    Complain(options, options.error +
                          L"\n\nkit_survey [--report FOLDER] [--only PROGRAM,...] [--compare EARLIER.csv] "
                          L"[--timeout SECONDS] [--no-window]");
    return kUsageExit;
  }
  return Survey(instance, options);
}
