// Portable. The Windows a survey ran on, as the report's heading names it: the version and build
// the system itself gives, its service pack, and whether the system is 64-bit (a 32-bit survey on
// 64-bit Windows names 64-bit Windows: which registry view and system folder a program sees
// follows from it).
#pragma once

#include <cstdint>
#include <string>

namespace kit::report {

struct WindowsVersion {
  std::uint32_t major = 0;  // 0: the version could not be read
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::wstring servicePack;  // "Service Pack 3"; empty for none
  bool system64 = false;
};

// "64-bit Windows 10.0 build 19045", "32-bit Windows 5.1 build 2600 Service Pack 3"; empty when
// the version could not be read. No product name: the system's own ("Windows 10 Pro" in the
// registry) stays unchanged on Windows 11, and the numbers do not tell workstation from server.
std::wstring WindowsVersionText(const WindowsVersion& version);

}  // namespace kit::report
