// probe_ado26's entry point.
#include "probes/services/ado26/ado26_probe.h"
#include "common/win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return kit::services::ado26::Run(); }
