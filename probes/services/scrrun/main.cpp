// probe_scrrun's entry point.
#include "probes/services/scrrun/scrrun_probe.h"
#include "common/win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return kit::services::scrrun::Run(); }
