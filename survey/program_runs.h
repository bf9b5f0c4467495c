// Win32-only. Runs one program of the kit the way the engineer would, each step under a time bound
// of its own, in a scratch folder of its own, and records what it showed: the verdict, the exact
// texts, pictures.
#pragma once

#include "common/win32.h"
#include "survey/program_session.h"
#include "catalogue/programs.h"
#include "report/survey_result.h"

#include <string>

namespace kit::survey {
using namespace kit::report;

struct RunSettings {
  std::wstring programFolder;  // where the kit's programs are (beside kit_survey.exe)
  std::wstring scratchFolder;  // an empty folder for this program's current folder
  std::wstring reportFolder;   // a verifier's log is copied here
  StepBounds bounds;
  HANDLE job = nullptr;  // the program runs inside it (null: outside any)
};

ProgramResult RunProgram(const catalogue::KitProgram& program, const RunSettings& settings);

}  // namespace kit::survey
