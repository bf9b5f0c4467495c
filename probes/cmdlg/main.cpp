// probe_cmdlg's entry point.
#include "common/win32.h"
#include "probes/cmdlg/cmdlg_probe.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return kit::cmdlg::Run(); }
