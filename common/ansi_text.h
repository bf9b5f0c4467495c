// Win32-only. The one place where text crosses between the kit's wide strings and the bytes of the
// system's single-byte ANSI code page, or of UTF-8 (the journals and key files the kit writes and
// reads for its tests and build).
#pragma once

#include <string>
#include <string_view>

namespace kit {

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace kit
