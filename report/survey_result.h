// Portable. What the survey found about one program: the verdict, the exact texts it saw, the
// pictures it took, and how long the program ran.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kit::report {

// NeedsLicence: a licensed control that refuses to be created without a run-time key; the
// component is installed and registered, and not broken. CannotStart: the program file itself
// could not be started (a damaged copy, blocked by policy): nothing is known of the component.
enum class Verdict { Works, Broken, Hung, NeedsLicence, CannotStart, NotFound };
// "works", "broken", "hung", "needs licence key", "cannot start", "not found"
std::wstring_view VerdictWord(Verdict verdict);

struct Picture {
  std::wstring caption;
  std::vector<std::uint8_t> png;
  // As taken, until it is encoded into `png`: width*height pixels, three bytes each (red, green,
  // blue), rows top to bottom.
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

struct ProgramResult {
  std::wstring program;
  std::wstring component;
  Verdict verdict = Verdict::NotFound;
  std::wstring message;               // the one line of the summary: the exact message or what was seen
  std::vector<std::wstring> texts;    // everything read from the program, in order
  std::vector<Picture> pictures;
  std::wstring logFile;               // a verifier's log, copied beside the report ("" for none)
  // For a broken or hung component: why, as far as its registration, files and dependencies tell.
  std::wstring cause;                 // the first thing found wrong; "" when nothing was
  std::vector<std::wstring> diagnosis;
  double seconds = 0;                 // from start to end of the program
  bool outsideJob = false;            // the system would not put it in a job of the survey's
};

// What a report written while the survey runs says of it: "in progress: N of M", N programs
// surveyed of the M it will run. The final report says nothing of progress.
std::wstring InProgress(std::size_t surveyed, std::size_t total);

// Programs found broken, hung or not starting: the exit code of the survey.
int BrokenCount(const std::vector<ProgramResult>& results);

// kit_survey's exit codes beside that count (the kit has 29 programs, so they never meet it).
inline constexpr int kExitNoProgram = 100;       // no program of the kit beside kit_survey
inline constexpr int kExitCancelled = 101;       // the engineer cancelled the survey
inline constexpr int kExitReportNotWritten = 102;
inline constexpr int kExitNoScratchFolder = 103; // no scratch folder could be made: nothing ran
inline constexpr int kExitUsage = 104;           // the command line or the earlier report cannot be used
// kit_survey --explain: what the diagnosis of the file found.
inline constexpr int kExitNothingFound = 0;
inline constexpr int kExitSomethingFound = 1;
inline constexpr int kExitDiagnosisUnfinished = 105;  // it ran past its bound or crashed

// The summary order: broken, hung, unstartable, licence-refused and missing programs first, each
// group in the kit's order.
std::vector<const ProgramResult*> SummaryOrder(const std::vector<ProgramResult>& results);

}  // namespace kit::report
