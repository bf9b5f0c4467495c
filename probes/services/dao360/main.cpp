// probe_dao360's entry point.
#include "probes/services/dao360/dao360_probe.h"
#include "common/win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return kit::services::dao360::Run(); }
