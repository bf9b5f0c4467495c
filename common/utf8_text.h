// Portable. Text between the kit's wide strings and UTF-8, the form of every file the kit writes
// for tools and tests (the report's CSV and page, journals, key files). Wide strings are UTF-16 on
// Windows (surrogate pairs joined and split) and UTF-32 in the native tests.
#pragma once

#include <string>
#include <string_view>

namespace kit {

std::string ToUtf8(std::wstring_view text);
// Bytes that are no UTF-8 are read as far as they go, never refused: a file someone edited is still
// shown.
std::wstring FromUtf8(std::string_view text);
// True when the bytes are well-formed UTF-8 (ASCII included): text from another machine that may be
// in its own code page instead.
bool IsUtf8(std::string_view bytes);

}  // namespace kit
