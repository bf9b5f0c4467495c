// Start-up benchmark: the time from starting a program to its `Form1` being shown and answering
// messages, for a subject and a baseline program beside it (by default probe_base against a bare
// window built the same way). Alternates the two, prints every run, the medians and their ratio.
//   kit_startup_bench.exe [runs [subject.exe baseline.exe]]     (default 15)
#include "driver/driver.h"
#include "tests/support/driver_support.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

double StartToIdleMs(const wchar_t* exe) {
  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  auto program = kit::driver::Program::Start(kit::driver::BesideMe(exe));
  // Looked for every millisecond: the driver's usual step would round every start up to it.
  HWND form = program.Started() ? program.WaitForWindow(L"Form1", 30000, 1) : nullptr;
  QueryPerformanceCounter(&end);
  if (!form) {
    std::fwprintf(stderr, L"%ls: no window (%ls)\n", exe, program.Error().c_str());
    return -1;
  }
  PostMessageW(form, WM_CLOSE, 0, 0);
  if (!program.WaitForExit(10000)) program.Kill();
  return 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 15;
  const wchar_t* subject = argc > 3 ? argv[2] : L"probe_base.exe";
  const wchar_t* baseline = argc > 3 ? argv[3] : L"bare_window.exe";
  std::vector<double> subjectTimes, baselineTimes;
  StartToIdleMs(subject);  // warm the file cache and the wineserver
  StartToIdleMs(baseline);
  for (int i = 0; i < runs; ++i) {
    const double s = StartToIdleMs(subject);
    const double b = StartToIdleMs(baseline);
    if (s < 0 || b < 0) return 1;
    subjectTimes.push_back(s);
    baselineTimes.push_back(b);
    std::wprintf(L"run %2d: %ls %7.1f ms, %ls %7.1f ms\n", i + 1, subject, s, baseline, b);
  }
  const double ms = Median(subjectTimes), mb = Median(baselineTimes);
  std::wprintf(L"median of %d runs: %ls %.1f ms, %ls %.1f ms, ratio %.2f\n", runs, subject, ms, baseline, mb, ms / mb);
  return 0;
}
