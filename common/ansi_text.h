// Win32-only. The one place where text crosses between the kit's wide strings and the bytes of the
// system's single-byte ANSI code page (UTF-8 is common/utf8_text.h, portable).
#pragma once

#include <string>
#include <string_view>

namespace kit {

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);

}  // namespace kit
