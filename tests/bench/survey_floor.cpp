// The floor under kit_survey's run time: every program of the kit worked as the survey works it
// (the verifiers until their log is complete, "test" answered, each of the dialog probe's dialogs
// opened and cancelled, every message answered), but each step taken as soon as the program is
// ready for it (a poll every millisecond, no back-off), with no pictures and no report. Prints each
// program's time from its start to its exit and the sum, which tools/bench_survey.sh sets against
// the survey's own run. Each program is driven once, as the survey drives it: the best of several
// drives would set a typical run of the survey against a lucky one (about 0.05 s less per program
// here). The benchmark evens out the machine's drift by running the floor before and after each
// survey.
//   kit_survey_floor.exe     (from the kit folder beside the programs, stand-ins registered)
#include "driver/driver.h"
#include "catalogue/programs.h"
#include "tests/support/driver_support.h"
#include "report/verifier_log.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace kit;
using catalogue::ProgramKind;

constexpr DWORD kBoundMs = 60000;

double Now() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Condition>
bool Until(const driver::Program& program, Condition condition) {
  const driver::Deadline bound(kBoundMs);
  while (!condition()) {
    if (bound.Passed() || !program.Running()) return condition();
    Sleep(1);
  }
  return true;
}

HWND Dialog(DWORD pid) {
  for (HWND window : driver::TopLevelWindows(pid)) {
    if (driver::ClassName(window) == driver::kDialogClass && driver::WaitIdle(window, kBoundMs)) return window;
  }
  return nullptr;
}

HWND Form(DWORD pid) {
  for (HWND window : driver::TopLevelWindows(pid)) {
    if (driver::WindowText(window) == L"Form1" && driver::WaitIdle(window, kBoundMs)) return window;
  }
  return nullptr;
}

// Answers the dialog as the survey does and waits until it has gone. Its title.
std::wstring Answer(const driver::Program& program, HWND dialog) {
  const driver::MessageBoxInfo box = driver::ReadDialog(dialog);
  driver::Dismiss(box);
  Until(program, [&] { return !IsWindow(dialog); });
  return box.title;
}

bool IdleWithoutDialog(DWORD pid, HWND form) {
  if (!driver::WaitIdle(form, kBoundMs)) return false;
  for (HWND window : driver::TopLevelWindows(pid, false)) {
    if (window != form && driver::ClassName(window) == driver::kDialogClass) return false;
  }
  return true;
}

std::wstring ReadLog(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return std::wstring(bytes.begin(), bytes.end());
}

// One program from its start to its exit, in seconds; negative when it did not go through.
double Drive(const catalogue::KitProgram& entry, const std::wstring& folder) {
  const std::wstring name(entry.name);
  const std::wstring log = folder + L"\\" + std::wstring(entry.logFile);
  if (!entry.logFile.empty()) DeleteFileW(log.c_str());
  const double start = Now();
  driver::Program program = driver::Program::Start(driver::BesideMe(name + L".exe"), L"", folder);
  if (!program.Started()) return -1;
  const DWORD pid = program.Id();
  HWND form = nullptr;
  // Messages before the form (a library the probe reports at start) are answered as they come.
  while (Until(program, [&] { return (form = Form(pid)) || Dialog(pid); }) && !form) Answer(program, Dialog(pid));
  if (form) {
    switch (entry.kind) {
      case ProgramKind::Verifier:
        Until(program, [&] { return report::ParseVerifierLog(ReadLog(log)).complete; });
        break;
      case ProgramKind::Service:
        if (const auto test = driver::FindItem(form, L"test")) {
          driver::PushButton(test->window);
          HWND dialog = nullptr;
          while (Until(program, [&] { return (dialog = Dialog(pid)) != nullptr; }) && Answer(program, dialog) != name) {
          }
        }
        break;
      case ProgramKind::Dialogs:
        for (const driver::Item& item : driver::ListItems(form)) {
          if (_wcsicmp(item.className.c_str(), L"Button") != 0 || !item.text.starts_with(L"test")) continue;
          driver::PushButton(item.window);
          driver::PostMarker(item.window);
          bool taken = false;
          const auto markerTaken = [&] { return taken = taken || driver::MarkerTaken(item.window, kBoundMs); };
          HWND dialog = nullptr;
          Until(program, [&] { return (dialog = Dialog(pid)) || (markerTaken() && IdleWithoutDialog(pid, form)); });
          if (dialog) Answer(program, dialog);
          // The marker behind the push is taken once the dialog has gone: before the next push.
          Until(program, markerTaken);
        }
        break;
      default:
        break;
    }
    driver::CloseWithCloseBox(form);
  }
  while (!program.WaitForExit(0)) {
    HWND dialog = nullptr;
    if (!Until(program, [&] { return (dialog = Dialog(pid)) != nullptr; })) break;
    Answer(program, dialog);
  }
  const bool ended = program.WaitForExit(kBoundMs);
  return ended ? Now() - start : -1;
}

}  // namespace

int wmain() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"kit_survey_floor";
  CreateDirectoryW(folder.c_str(), nullptr);
  double sum = 0;
  int failed = 0;
  for (const catalogue::KitProgram& entry : catalogue::KitPrograms()) {
    const double seconds = Drive(entry, folder);
    std::wprintf(L"%-28ls %7.3f s%ls\n", std::wstring(entry.name).c_str(), seconds < 0 ? 0 : seconds,
                 seconds < 0 ? L" (did not go through)" : L"");
    if (seconds < 0) ++failed;
    else sum += seconds;
  }
  // Nothing left behind in the prefix's temporary folder: what the programs wrote, then the folder.
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
  std::wprintf(L"floor: %.3f s over %zu programs\n", sum, catalogue::KitPrograms().size());
  return failed == 0 ? 0 : 1;
}
