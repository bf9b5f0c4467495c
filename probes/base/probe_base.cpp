// probe_base: the probe shell and nothing else, `Form1` with its one end button. It shows that a
// plain program of the kit starts and ends on this machine.
#include "probes/shell/probe_main.h"
#include "probes/shell/standard_items.h"

namespace {
using namespace kit::shell;
constexpr ItemRecord kForm[] = {FormWindow(1670, 1080), CommandDone(270, 330)};
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunProbe(kForm); }
