// Portable. What the survey found about one program: the verdict, the exact texts it saw, the
// pictures it took, and how long the program ran.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kit::survey {

enum class Verdict { Works, Broken, Hung, NotFound };
std::wstring_view VerdictWord(Verdict verdict);  // "works", "broken", "hung", "not found"

struct Picture {
  std::wstring caption;
  std::vector<std::uint8_t> png;
};

struct ProgramResult {
  std::wstring program;
  std::wstring component;
  Verdict verdict = Verdict::NotFound;
  std::wstring message;               // the one line of the summary: the exact message or what was seen
  std::vector<std::wstring> texts;    // everything read from the program, in order
  std::vector<Picture> pictures;
  std::wstring logFile;               // a verifier's log, copied beside the report ("" for none)
  double seconds = 0;                 // from start to end of the program
};

// Components found broken: the exit code of the survey.
int BrokenCount(const std::vector<ProgramResult>& results);

// The summary order: broken, hung and missing programs first, each group in the kit's order.
std::vector<const ProgramResult*> SummaryOrder(const std::vector<ProgramResult>& results);

}  // namespace kit::survey
