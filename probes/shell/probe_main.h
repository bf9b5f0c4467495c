// Win32-only. The whole life of a probe: build `Form1` from its description, show it, wait for
// clicks. A probe's entry point is one call of RunProbe.
#pragma once

#include "probes/shell/form_window.h"

namespace kit::shell {

// Returns the process exit code. A form that cannot be built ends in the top-level error
// report (for a control: a message that names its component file) and never shows.
int RunProbe(FormDescription description, const FormHooks& hooks = {});

}  // namespace kit::shell
