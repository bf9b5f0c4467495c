// Win32-only. The system's own text for an error code, and the kit's never-empty description.
#pragma once

#include <cstdint>
#include <string>

namespace kit {

// FormatMessage's text for the code, or empty when the system has none.
std::wstring SystemMessage(std::uint32_t code);
// SystemMessage with the kit's fallbacks (common/error_text.h): never empty.
std::wstring DescribeError(std::uint32_t code);

}  // namespace kit
