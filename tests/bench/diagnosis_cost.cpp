// What a broken component's diagnosis costs the survey: for each program of the kit that uses
// components, the diagnosis made apart, in a child kit_survey as the survey makes it (its start and
// end included), against the same diagnosis made in this process. Prints the medians of `runs`
// runs per program, in milliseconds, and the sums.
//   kit_diagnosis_bench.exe [runs]     (from the kit folder, beside kit_survey.exe)
#include "catalogue/programs.h"
#include "diagnosis/diagnosis.h"
#include "survey/diagnosis_child.h"
#include "tests/support/driver_support.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

double Now() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  const std::wstring survey = kit::driver::BesideMe(L"kit_survey.exe");
  double inside = 0, apart = 0;
  int programs = 0;
  std::printf("%-22s %10s %10s\n", "program", "in-process", "apart");
  for (const kit::catalogue::KitProgram& program : kit::catalogue::KitPrograms()) {
    const std::wstring name(program.name);
    if (kit::diagnosis::PartsOf(name).empty()) continue;
    std::vector<double> here, child;
    for (int i = 0; i < runs; ++i) {
      double start = Now();
      const kit::diagnosis::Diagnosis made = kit::diagnosis::DiagnoseProgram(name);
      here.push_back(Now() - start);
      start = Now();
      const kit::diagnosis::Diagnosis madeApart =
          kit::survey::DiagnoseApart(survey, L"--diagnose " + kit::survey::Quoted(name), kit::survey::kDiagnosisBoundMs);
      child.push_back(Now() - start);
      if (madeApart.cause != made.cause) {
        std::printf("%s: the child's cause differs: \"%s\" against \"%s\"\n", kit::driver::Narrow(name).c_str(),
                    kit::driver::Narrow(madeApart.cause).c_str(), kit::driver::Narrow(made.cause).c_str());
        return 1;
      }
    }
    std::printf("%-22s %10.1f %10.1f\n", kit::driver::Narrow(name).c_str(), Median(here), Median(child));
    inside += Median(here);
    apart += Median(child);
    ++programs;
  }
  std::printf("%d programs: %.0f ms in-process, %.0f ms apart; %.1f ms more per broken component\n", programs, inside,
              apart, (apart - inside) / programs);
  return 0;
}
