// Error numbers and descriptions as the kit shows them. A description is never empty: when the
// system has no text for a code (Wine has none for several COM codes), a known name or the code
// itself stands in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kit {

// "0x80040154" for a COM-style code (high bit set or facility present), plain decimal otherwise.
std::wstring FormatErrorNumber(std::uint32_t code);

// The system's text trimmed of trailing blanks and line breaks; when that leaves nothing, the
// name of a well-known code with its number ("Class not registered (0x80040154)"), else
// "Error " and the number.
std::wstring DescribeFailure(std::uint32_t code, std::wstring_view systemText);

// The text of the top-level error report: the number, then the description.
std::wstring FormatErrorReport(std::uint32_t code, std::wstring_view description);

}  // namespace kit
