// Win32-only. The machine's name, Windows version and architecture as the system gives them.
#include "survey/machine_facts.h"

#include "common/number_text.h"
#include "common/utf8_text.h"

#include <iterator>

namespace kit::survey {
using namespace kit::report;
namespace {

template <typename Call>
Call SystemCall(const wchar_t* module, const char* name) {
  return reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(module), name)));
}

// The full host name (not cut to NetBIOS's 15 characters), else the NetBIOS name.
std::wstring FullMachineName() {
  DWORD size = 0;
  GetComputerNameExW(ComputerNamePhysicalDnsHostname, nullptr, &size);
  if (size > 1) {
    std::wstring name(size, L'\0');
    if (GetComputerNameExW(ComputerNamePhysicalDnsHostname, name.data(), &size)) {
      name.resize(size);
      return name;
    }
  }
  return MachineName();
}

// The machine's own processor, whatever this build's: an x86 survey on ARM64 Windows runs emulated,
// and there only IsWow64Process2 (Windows 10 1709 and later) names the native machine;
// GetNativeSystemInfo answers x86 or x64 for it as for the systems before.
std::string Architecture() {
  constexpr USHORT kMachineI386 = 0x014C, kMachineAmd64 = 0x8664, kMachineArm64 = 0xAA64;
  using IsWow64Call2 = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
  USHORT process = 0, native = 0;
  if (auto isWow64 = SystemCall<IsWow64Call2>(L"kernel32.dll", "IsWow64Process2");
      isWow64 && isWow64(GetCurrentProcess(), &process, &native)) {
    if (native == kMachineArm64) return "ARM64";
    if (native == kMachineAmd64) return "x64";
    if (native == kMachineI386) return "x86";
  }
  // GetNativeSystemInfo came with XP; GetSystemInfo is the same answer on a system without WOW64.
  constexpr WORD kArchitectureArm64 = 12;
  using NativeInfoCall = void(WINAPI*)(SYSTEM_INFO*);
  SYSTEM_INFO info{};
  if (auto nativeInfo = SystemCall<NativeInfoCall>(L"kernel32.dll", "GetNativeSystemInfo")) {
    nativeInfo(&info);
  } else {
    GetSystemInfo(&info);
  }
  switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_INTEL: return "x86";
    case PROCESSOR_ARCHITECTURE_AMD64: return "x64";
    case kArchitectureArm64: return "ARM64";
    default: return "unknown (" + kit::Ascii(kit::Decimal(info.wProcessorArchitecture)) + ")";
  }
}

}  // namespace

std::wstring MachineName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = static_cast<DWORD>(std::size(name));
  return GetComputerNameW(name, &size) ? std::wstring(name, size) : L"unknown";
}

// GetVersionEx answers a program whose manifest names no later system with Windows 8's 6.2 on 8.1,
// 10 and 11; RtlGetVersion does not. ntdll is loaded in every process and is no import the kit
// allows (check_imports), and IsWow64Process came with XP SP2: both are bound at run time.
WindowsVersion ReadWindowsVersion() {
  WindowsVersion version;
  using GetVersionCall = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  constexpr LONG kStatusSuccess = 0;
  if (auto get = SystemCall<GetVersionCall>(L"ntdll.dll", "RtlGetVersion")) {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (get(&info) == kStatusSuccess) {
      version.major = info.dwMajorVersion;
      version.minor = info.dwMinorVersion;
      version.build = info.dwBuildNumber;
      info.szCSDVersion[std::size(info.szCSDVersion) - 1] = L'\0';
      version.servicePack = info.szCSDVersion;
    }
  }
#ifdef _WIN64
  version.system64 = true;
#else
  using IsWow64Call = BOOL(WINAPI*)(HANDLE, BOOL*);
  BOOL wow64 = FALSE;
  if (auto isWow64 = SystemCall<IsWow64Call>(L"kernel32.dll", "IsWow64Process")) {
    if (!isWow64(GetCurrentProcess(), &wow64)) wow64 = FALSE;
  }
  version.system64 = wow64 != FALSE;
#endif
  return version;
}

MachineRecord GatherMachineRecord(const WindowsVersion& version, const SYSTEMTIME& surveyed) {
  MachineRecord record;
  record.machine = kit::ToUtf8(FullMachineName());
  record.windows = kit::ToUtf8(WindowsVersionText(version));
  if (version.major != 0) record.build = kit::Ascii(kit::Decimal(version.build));
  record.architecture = Architecture();
  record.surveyed = kit::Ascii(kit::Decimal(surveyed.wYear, 4) + L"-" + kit::Decimal(surveyed.wMonth, 2) + L"-" +
                               kit::Decimal(surveyed.wDay, 2) + L"T" + kit::Decimal(surveyed.wHour, 2) + L":" +
                               kit::Decimal(surveyed.wMinute, 2) + L":" + kit::Decimal(surveyed.wSecond, 2));
  record.kit = KIT_VERSION;
  return record;
}

}  // namespace kit::survey
