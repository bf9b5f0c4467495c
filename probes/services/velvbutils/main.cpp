// probe_VELvbutils's entry point.
#include "probes/services/velvbutils/velvbutils_probe.h"
#include "common/win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return kit::services::velvbutils::Run(); }
