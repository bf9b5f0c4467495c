// Win32-only. The one place where text crosses between the kit's wide strings and the system's
// single-byte ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace kit {

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);

}  // namespace kit
