// Win32-only. Lines on a program's standard output or error, for the kit's console programs: a
// console is written in UTF-16, which it shows whatever its code page; a file or a pipe gets UTF-8.
#pragma once

#include <string_view>

namespace kit {

// The text and a line end; nothing when the stream is closed.
void WriteStandardLine(bool error, std::wstring_view text);

}  // namespace kit
