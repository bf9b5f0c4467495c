// Win32-only. The exports are bound at run time: a static import of a function XP lacks would keep
// every program of the kit from starting there.
#include "common/callback_faults.h"

#include "common/win32.h"

namespace kit {

bool RaiseCallbackFaults() {
  // The policy flag "callback filter enabled" means such faults are filtered (swallowed).
  constexpr DWORD kCallbackFilterEnabled = 0x1;  // PROCESS_CALLBACK_FILTER_ENABLED
  using GetPolicy = BOOL(WINAPI*)(DWORD*);
  using SetPolicy = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return false;
  const auto get = reinterpret_cast<GetPolicy>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "GetProcessUserModeExceptionPolicy")));
  const auto set = reinterpret_cast<SetPolicy>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessUserModeExceptionPolicy")));
  DWORD flags = 0;
  if (!get || !set || !get(&flags)) return false;
  // The other bits are the system's: kept as they are.
  return set(flags & ~kCallbackFilterEnabled) != FALSE;
}

}  // namespace kit
