// Win32-only. FormatMessage behind the portable description rules.
#include "common/system_error.h"

#include "common/error_text.h"
#include "common/owners.h"

namespace kit {

std::wstring SystemMessage(std::uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const UniqueLocal owned(buffer);
  std::wstring text;
  if (buffer != nullptr) text.assign(buffer, length);
  return text;
}

std::wstring DescribeError(std::uint32_t code) { return DescribeFailure(code, SystemMessage(code)); }

}  // namespace kit
