// Portable. kit_survey's command line, for scripted use:
//   --report FOLDER   write the report there (default: kit_survey_<machine>_<date>_<time>, or
//                     kit_survey_explain_<date>_<time>, in the kit's folder where kit_survey.exe lies;
//                     where that cannot be written, in the engineer's Documents, else in the temporary folder)
//   --reports-in FOLDER  make the report's usual folder (kit_survey_<machine>_<date>_<time>) inside
//                     FOLDER, made where missing: one share collects the reports of many machines
//   --only A,B,...    survey only these programs
//   --compare CSV     open the report with the differences from an earlier report's CSV
//   --timeout SECONDS the bound to a program's first window (default 30; an action gets half of it,
//                     the close a third)
//   --no-window       no progress window
//   --explain FILE    only the diagnosis of one component file (its facts and dependencies), no survey
// and, for the survey's own child processes (diagnosis_child.h), never for a person:
//   --diagnose PROGRAM --into FILE       the diagnosis of a kit program's components, written to FILE
//   --diagnose-file PATH --into FILE     the diagnosis of one file, written to FILE
#pragma once

#include <string>
#include <vector>

namespace kit::survey {

struct SurveyOptions {
  std::wstring reportFolder;
  std::wstring reportParent;  // --reports-in
  std::vector<std::wstring> only;
  std::wstring compareWith;
  unsigned timeoutSeconds = 30;
  bool window = true;
  std::wstring explain;
  std::wstring diagnoseProgram;  // a child's work: one of these two, and where to write it
  std::wstring diagnoseFile;
  std::wstring into;
  std::wstring error;  // not empty: the command line could not be used, and why
};

SurveyOptions ParseOptions(const std::vector<std::wstring>& arguments);

}  // namespace kit::survey
