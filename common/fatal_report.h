// Win32-only. The program's top-level error report: one message box with the error's number and
// description (a console program's standard error instead), then the end of the process. Also the
// plain message box every probe uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kit {

// The program's name as its file carries it, without folder and ".exe": the title of its
// message boxes.
std::wstring ProgramTitle();

// A message box with only an OK button and no icon, owned by `owner` (may be null).
void ShowMessage(void* owner, std::wstring_view text);

// A console program's fatal reports go to `write` (its standard error: nobody may be there to answer
// a message box, as in a server's scheduled task) instead of a message box. Set once at its start;
// the window programs never link the console's writing.
void SendFatalReportsTo(void (*write)(std::wstring_view line));

[[noreturn]] void ReportFatalError(std::uint32_t code, std::wstring_view description);
// The same end with a report already worded in full (one that names what failed first).
[[noreturn]] void ReportFatalText(std::wstring_view text);

}  // namespace kit
