// Win32-only. Faults inside window procedures reached through a kernel callback (a control being
// created, WM_DESTROY while a window closes) are swallowed by 64-bit Windows in a 32-bit process
// unless the process asks otherwise: a program that crashed while closing would read as working.
// Every program of the kit asks, first thing, to have such faults raised where the system lets it.
#pragma once

namespace kit {

// Clears the callback filter through kernel32's user-mode exception policy (Windows 7 SP1 on, and
// Vista SP2/2008 with an update); elsewhere nothing happens (on 32-bit Windows such faults were
// never swallowed, and XP has neither the export nor the behaviour). Returns whether the policy
// was offered and set.
bool RaiseCallbackFaults();

}  // namespace kit
