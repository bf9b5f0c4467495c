// Win32-only. `Form1` of the verifier: a plain resizable window at a fixed place with a fixed
// client size and one font. It has no items; every paint performs one complete verification run
// and draws the whole report again.
#pragma once

#include "verifier/settings.h"

namespace kit::verifier {

// Shows `Form1` and runs until it is closed; returns the process exit code. A run that fails
// (the log file cannot be written) ends in the top-level error report.
int RunVerifierProgram(const VerifierSettings& settings, int showCommand);

}  // namespace kit::verifier
