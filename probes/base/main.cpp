// probe_base's entry point: the probe shell and nothing else over its form in the catalogue.
#include "catalogue/forms/probe_base.h"
#include "probes/shell/probe_main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return kit::shell::RunProbe(kit::catalogue::probe_base::kForm); }
