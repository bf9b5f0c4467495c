// Portable. The programs of the kit as the survey sees them: how each one is worked (its kind)
// and the component file its verdict is about, in the order the survey runs them.
#pragma once

#include <span>
#include <string_view>

namespace kit::survey {

enum class ProgramKind {
  Base,         // a plain window: does a program of the kit run at all
  Verifier,     // writes its log while its window paints
  ControlHost,  // Form1 with the component's controls, or one message
  Service,      // Form1 with "test": the answer comes in a message box
  NativeLibrary,  // probe_VELUtils: a check box ticked at start, or a message before the window
  Dialogs,      // probe_cmdlg: test buttons that each open a common dialog
};

struct SurveyedProgram {
  std::wstring_view name;
  ProgramKind kind;
  std::wstring_view component;
  std::wstring_view logFile;  // the verifiers' log, written in their current folder
};

std::span<const SurveyedProgram> KitPrograms();
const SurveyedProgram* FindProgram(std::wstring_view name);

}  // namespace kit::survey
