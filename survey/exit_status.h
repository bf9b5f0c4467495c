// Portable. How a program of the kit ended, in the report's words: a crash is named by its
// exception code (hexadecimal, with the exception's name where it is a well-known one), an
// ordinary end by its exit code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kit::survey {

// An exception code the system ends a process with when nothing handles it (severity "error",
// or the breakpoint and misalignment warnings, or a C++ exception of the Microsoft runtime).
bool IsCrashCode(std::uint32_t code);

// "crashed (0xC0000005, access violation)" for a crash; "ended with exit code 3" otherwise (the
// number as the kit writes error numbers: hexadecimal from 0x10000 up).
std::wstring DescribeEnd(std::uint32_t code);

// A control that refused to be created for want of a run-time licence key (CLASS_E_NOTLICENSED):
// the host's message carries that code.
bool IsLicenceRefusal(std::wstring_view message);

}  // namespace kit::survey
