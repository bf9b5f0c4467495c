// HalvardDLLVer: the component version verifier over the Halvard table; writes
// Halvard_DLLver.log.
#include "common/win32.h"
#include "verifier/report_window.h"
#include "verifier/settings.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  return kit::verifier::RunVerifierProgram(kit::verifier::HalvardSettings(), showCommand);
}
