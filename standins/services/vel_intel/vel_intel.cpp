// Win32-only. Stand-in for the maker's native library "VEL_Intel_Win32.dll": a library that
// loads. Built a second time with KIT_FAIL_INIT, it refuses to initialise, as a broken copy does.
#include "common/win32.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
#ifdef KIT_FAIL_INIT
  if (reason == DLL_PROCESS_ATTACH) return FALSE;
#else
  (void)reason;
#endif
  return TRUE;
}
