// Portable. The programs of the kit: how each is worked (its kind), the component its verdict is
// about, what its version resource and link say of it, its form and the classes and libraries it
// creates or loads. The one table of the kit: the survey, its diagnosis, the key tool, the
// stand-ins and the tests read it, and the build takes its program list from it
// (cmake/kit_programs.cmake reads the rows of programs.cpp).
#pragma once

#include "catalogue/form_model.h"

#include <span>
#include <string_view>

namespace kit::catalogue {

enum class ProgramKind {
  Base,           // a plain window: does a program of the kit run at all
  Verifier,       // writes its log while its window paints
  ControlHost,    // Form1 with the component's controls, or one message
  Service,        // Form1 with "test": the answer comes in a message box
  NativeLibrary,  // probe_VELUtils: a check box ticked at start, or a message before the window
  Dialogs,        // probe_cmdlg: test buttons that each open a common dialog
  Survey,         // kit_survey itself, which runs the others
};

// How a program reaches a class or library beyond the controls its form hosts.
enum class Reach {
  ClassId,  // creates the class by its identifier
  ProgId,   // creates the class by its ProgID: whichever class the ProgID names
  Library,  // loads the file by its name, through the system's search order
};
struct Use {
  Reach reach;
  shell::ControlClass part;  // for a library, only the file
};

struct KitProgram {
  std::wstring_view name;
  ProgramKind kind;
  std::wstring_view component;    // what its verdict is about, as the report names it
  const char* productName;        // its version resource's ProductName
  bool companyNamed;              // whether its version resource carries "CompanyName"
  const char* traits;             // the build traits of cmake/add_kit_program.cmake, space-separated
  shell::FormDescription form{};  // empty for the verifiers and the survey
  std::span<const Use> uses{};    // beyond the controls of its form
  std::wstring_view logFile{};    // the verifiers' log, written in their current folder
};

// Every program of the kit, kit_survey last.
std::span<const KitProgram> AllPrograms();
// The programs a survey runs, in the order it runs them: all but kit_survey.
std::span<const KitProgram> KitPrograms();
// By name, without regard to letter case; null when the kit has no such program.
const KitProgram* FindProgram(std::wstring_view name);

// Each class a program creates (its form's controls, then its uses) or library it loads, in order;
// a class the form holds twice comes twice.
template <typename Visit>
void ForEachUse(const KitProgram& program, Visit visit) {
  for (const shell::ItemRecord& item : program.form) {
    if (item.kind == shell::ItemKind::ActiveX) visit(Use{Reach::ClassId, item.control});
  }
  for (const Use& use : program.uses) visit(use);
}

}  // namespace kit::catalogue
