// Win32-only. The C++ runtime's failure paths and memory, answered by the kit itself in every
// program. The kit's code raises no exceptions (failures are values); what the runtime would throw
// (a string or vector past its largest size, an empty function called, memory exhausted) ends the
// program through its top-level error report instead, as any failure no handler traps. Answered
// here, none of the runtime's exception machinery, its verbose terminate handler (with its symbol
// demangler) or its thread library is linked: each program stays a few dozen kilobytes.
#include "common/fatal_report.h"
#include "common/system_error.h"
#include "common/win32.h"

#include <cstddef>
#include <new>

namespace {

// Kept from the start so that the report of exhausted memory (a message box, its texts) still finds
// some: released just before it is shown.
void* g_reserve = HeapAlloc(GetProcessHeap(), 0, 64 * 1024);

[[noreturn]] void OutOfMemory() {
  void* reserve = InterlockedExchangePointer(&g_reserve, nullptr);
  if (reserve) HeapFree(GetProcessHeap(), 0, reserve);
  kit::ReportFatalError(ERROR_NOT_ENOUGH_MEMORY, kit::DescribeError(ERROR_NOT_ENOUGH_MEMORY));
}

[[noreturn]] void RuntimeFailure(const char* what) {
  // The runtime's own words (ASCII) after the system's text.
  std::wstring text = kit::DescribeError(ERROR_INTERNAL_ERROR) + L" (";
  for (const char* c = what ? what : "unknown"; *c; ++c) text += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  kit::ReportFatalError(ERROR_INTERNAL_ERROR, text + L")");
}

void* Allocate(std::size_t size) {
  void* block = HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
  if (!block) OutOfMemory();
  return block;
}

void Free(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace

// Allocation: the process heap; exhaustion is the fatal report, never an exception.
void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return HeapAlloc(GetProcessHeap(), 0, size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return HeapAlloc(GetProcessHeap(), 0, size ? size : 1); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Free(block); }

// What the standard library's templates call where they would throw. Every one of the runtime's
// set is answered, so its own (which throws) is never linked beside these.
namespace std {
void __throw_bad_alloc() { OutOfMemory(); }
void __throw_bad_array_new_length() { OutOfMemory(); }
void __throw_length_error(const char* what) { RuntimeFailure(what); }
void __throw_logic_error(const char* what) { RuntimeFailure(what); }
void __throw_out_of_range(const char* what) { RuntimeFailure(what); }
void __throw_out_of_range_fmt(const char* what, ...) { RuntimeFailure(what); }
void __throw_invalid_argument(const char* what) { RuntimeFailure(what); }
void __throw_domain_error(const char* what) { RuntimeFailure(what); }
void __throw_range_error(const char* what) { RuntimeFailure(what); }
void __throw_overflow_error(const char* what) { RuntimeFailure(what); }
void __throw_underflow_error(const char* what) { RuntimeFailure(what); }
void __throw_runtime_error(const char* what) { RuntimeFailure(what); }
void __throw_bad_cast() { RuntimeFailure("bad cast"); }
void __throw_bad_typeid() { RuntimeFailure("bad typeid"); }
void __throw_bad_exception() { RuntimeFailure("bad exception"); }
void __throw_bad_function_call() { RuntimeFailure("empty function called"); }
}  // namespace std

extern "C" {

// A pure virtual function called (an object used while it is built or destroyed).
void __cxa_pure_virtual() { RuntimeFailure("pure virtual function called"); }
void __cxa_deleted_virtual() { RuntimeFailure("deleted virtual function called"); }

// Function-local statics, initialised once across threads. The guard's first byte says "done" (the
// compiler reads it before calling here); its second word is a lock taken by the initialising
// thread, which others wait for.
int __cxa_guard_acquire(long long* guard) {
  auto* done = reinterpret_cast<volatile char*>(guard);
  auto* lock = reinterpret_cast<volatile LONG*>(guard) + 1;
  for (;;) {
    if (*done) return 0;
    if (InterlockedCompareExchange(lock, 1, 0) == 0) {
      if (!*done) return 1;
      InterlockedExchange(lock, 0);
      return 0;
    }
    Sleep(0);
  }
}

void __cxa_guard_release(long long* guard) {
  MemoryBarrier();
  *reinterpret_cast<volatile char*>(guard) = 1;
  InterlockedExchange(reinterpret_cast<volatile LONG*>(guard) + 1, 0);
}

void __cxa_guard_abort(long long* guard) { InterlockedExchange(reinterpret_cast<volatile LONG*>(guard) + 1, 0); }

}  // extern "C"
