// Win32-only. What the five service probes share beyond the probe shell: the "test" button that
// runs one test at a time, and a run inside OLE that lets go of the probe's references, then of
// OLE, once `Form1` is gone.
#pragma once

#include "probes/shell/probe_main.h"
#include "catalogue/forms/service_items.h"

namespace kit::services {

// Runs `kTest` unless a test of this button is still running. A test can let the window's
// messages through while it waits (a provider's prompt that has no owner window leaves Form1
// usable), and a second click must not start a second test over the objects of the first.
template <shell::ClickHandler kTest>
void OneTestAtATime(shell::Form& form, const shell::ItemRecord& item) {
  static bool running = false;
  if (running) return;
  running = true;
  struct Done {
    ~Done() { running = false; }
  } done;
  kTest(form, item);
}

// The "test" button's handler, one test at a time, for the shell by the name the form gives it.
template <shell::ClickHandler kTest>
inline constexpr shell::NamedHandler kTestHandler[] = {{catalogue::kRunTest, OneTestAtATime<kTest>}};

// Initialises OLE for the thread, as a form program's run-time library does before its first
// form (a provider's prompt or a component's own window may need OLE, not only COM); then
// RunProbe, `releaseReferences` (the objects the window held), and OLE is let go last.
// "done" ends the process at once and skips all of it, as it should.
int RunServiceProbe(shell::FormDescription form, void (*releaseReferences)(), const shell::FormHooks& hooks = {});

}  // namespace kit::services
