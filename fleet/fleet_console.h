// kit_fleet's lines for the engineer: the outcome on standard output, a failure on standard error.
// The text is UTF-8 (it names folders of any name). A console shows it as written; output sent to
// a file or a pipe gets the UTF-8 bytes.
#pragma once

#include <string_view>

namespace kit::fleet {

// At the program's start: what ends it on a fault is said on standard error, not in a window.
void PrepareConsole();
void PrintOutcome(std::string_view utf8);
void PrintError(std::string_view utf8);

}  // namespace kit::fleet
