// The entry of every control host program: the shell over the program's form in the catalogue,
// which the build chooses (add_control_host in CMake). A control host runs no code of its own.
#include "probes/shell/probe_main.h"

#include KIT_HOST_FORM_HEADER

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return kit::shell::RunProbe(kit::catalogue::KIT_PROGRAM_NAME::kForm);
}
