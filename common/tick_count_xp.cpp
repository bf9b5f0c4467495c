// Win32-only. The static thread runtime the toolchain links into every program calls
// GetTickCount64, which Windows XP's kernel32 lacks: imported, it stops a program at start on
// XP ("entry point not found") before any of the kit's code runs. Every program links this file,
// whose import slot for GetTickCount64 the linker takes before kernel32's import library: the
// real function where the system has it, else GetTickCount carried past its 49.7-day wrap.
#include "common/win32.h"

namespace {

ULONGLONG WINAPI TickCount64() {
  // Looked up once; no function-local static with a guard, since the runtime's own locks may
  // measure their waits through this very function.
  using TickFunction = ULONGLONG(WINAPI*)();
  static void* volatile cached = nullptr;
  static char absent;
  void* found = InterlockedCompareExchangePointer(&cached, nullptr, nullptr);
  if (!found) {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const FARPROC function = kernel ? GetProcAddress(kernel, "GetTickCount64") : nullptr;
    found = function ? reinterpret_cast<void*>(function) : static_cast<void*>(&absent);
    InterlockedExchangePointer(&cached, found);
  }
  if (found != &absent) return reinterpret_cast<TickFunction>(found)();
  // XP: count the wraps of the 32-bit tick. Callers only measure waits, and a wrap seen late by
  // one racing thread costs at most one short wait.
  static volatile LONG last = 0;
  static volatile LONG wraps = 0;
  const DWORD now = GetTickCount();
  const DWORD before = static_cast<DWORD>(InterlockedExchange(&last, static_cast<LONG>(now)));
  if (now < before) InterlockedIncrement(&wraps);
  return (static_cast<ULONGLONG>(static_cast<DWORD>(wraps)) << 32) | now;
}

}  // namespace

// The import slot's name as the toolchain's import library spells it for each machine.
#if defined(_WIN64)
#define KIT_TICK_COUNT64_SLOT "__imp_GetTickCount64"
#else
#define KIT_TICK_COUNT64_SLOT "__imp__GetTickCount64@0"
#endif
extern "C" ULONGLONG(WINAPI* kitTickCount64Slot)() __asm__(KIT_TICK_COUNT64_SLOT);
ULONGLONG(WINAPI* kitTickCount64Slot)() = &TickCount64;
