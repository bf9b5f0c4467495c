// Win32-only. The stand-ins' journal: when KIT_CONTROL_JOURNAL names a file, each event is one
// UTF-8 line "<instance> <event>" appended to it. The file is opened, appended to and closed per
// line, so instances in one process and in several processes interleave whole lines.
#pragma once

#include <string>
#include <string_view>

namespace kit::standin {

void JournalLine(std::wstring_view instance, std::wstring_view event);

}  // namespace kit::standin
