// Portable. Exception names as the system's headers give them, in the engineer's words.
#include "survey/exit_status.h"

#include "common/error_text.h"

namespace kit::survey {
namespace {

struct KnownException {
  std::uint32_t code;
  const wchar_t* name;
};

constexpr KnownException kExceptions[] = {
    {0x80000002u, L"datatype misalignment"},
    {0x80000003u, L"breakpoint"},
    {0xC0000005u, L"access violation"},
    {0xC0000006u, L"in-page error, the program file could not be read"},
    {0xC000001Du, L"illegal instruction"},
    {0xC0000025u, L"noncontinuable exception"},
    {0xC000008Cu, L"array bounds exceeded"},
    {0xC000008Eu, L"floating-point division by zero"},
    {0xC0000094u, L"integer division by zero"},
    {0xC0000095u, L"integer overflow"},
    {0xC0000096u, L"privileged instruction"},
    {0xC00000FDu, L"stack overflow"},
    {0xC0000135u, L"a DLL it needs was not found"},
    {0xC0000139u, L"a function it imports was not found in its DLL"},
    {0xC0000142u, L"a DLL it needs failed to initialise"},
    {0xC000007Bu, L"not a valid program for this system"},
    {0xC0000374u, L"heap corruption"},
    {0xC0000409u, L"stack buffer overrun"},
    {0xC0000417u, L"invalid parameter to the C runtime"},
    {0xE06D7363u, L"unhandled C++ exception"},
};

constexpr std::uint32_t kSeverityMask = 0xC0000000u;
constexpr std::uint32_t kSeverityError = 0xC0000000u;
constexpr std::uint32_t kNotLicensed = 0x80040112u;

}  // namespace

bool IsCrashCode(std::uint32_t code) {
  if ((code & kSeverityMask) == kSeverityError) return true;
  for (const KnownException& known : kExceptions) {
    if (known.code == code) return true;
  }
  return false;
}

std::wstring DescribeEnd(std::uint32_t code) {
  if (!IsCrashCode(code)) return L"ended with exit code " + FormatErrorNumber(code);
  std::wstring text = L"crashed (" + FormatErrorNumber(code);
  for (const KnownException& known : kExceptions) {
    if (known.code == code) text += std::wstring(L", ") + known.name;
  }
  return text + L")";
}

bool IsLicenceRefusal(std::wstring_view message) {
  return message.find(FormatErrorNumber(kNotLicensed)) != std::wstring_view::npos;
}

}  // namespace kit::survey
