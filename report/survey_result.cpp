// Portable. Verdict words and the summary's order.
#include "report/survey_result.h"

#include "common/number_text.h"

namespace kit::report {

std::wstring_view VerdictWord(Verdict verdict) {
  switch (verdict) {
    case Verdict::Works: return L"works";
    case Verdict::Broken: return L"broken";
    case Verdict::Hung: return L"hung";
    case Verdict::NeedsLicence: return L"needs licence key";
    case Verdict::CannotStart: return L"cannot start";
    case Verdict::NotFound: return L"not found";
  }
  return L"?";
}

std::wstring InProgress(std::size_t surveyed, std::size_t total) {
  return L"in progress: " + kit::Decimal(surveyed) + L" of " + kit::Decimal(total);
}

int BrokenCount(const std::vector<ProgramResult>& results) {
  int count = 0;
  for (const ProgramResult& result : results) {
    // A program that is not beside the survey was not looked at: it says nothing about a component.
    if (result.verdict == Verdict::Broken || result.verdict == Verdict::Hung ||
        result.verdict == Verdict::CannotStart) {
      ++count;
    }
  }
  return count;
}

std::vector<const ProgramResult*> SummaryOrder(const std::vector<ProgramResult>& results) {
  std::vector<const ProgramResult*> ordered;
  for (Verdict group : {Verdict::Broken, Verdict::Hung, Verdict::CannotStart, Verdict::NeedsLicence, Verdict::NotFound,
                        Verdict::Works}) {
    for (const ProgramResult& result : results) {
      if (result.verdict == group) ordered.push_back(&result);
    }
  }
  return ordered;
}

}  // namespace kit::report
