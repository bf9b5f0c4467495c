// probe_VELUtils's entry point.
#include "probes/services/velutils/velutils_probe.h"
#include "common/win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return kit::services::velutils::Run(); }
