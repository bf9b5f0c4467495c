// probe_scrrun: creates the scripting runtime's file system object on a click of "test" and
// says "Test ok" or "Test failed".
#pragma once

#include "probes/shell/form_model.h"

namespace kit::services::scrrun {

// The class the test creates, by its name as a script does.
inline constexpr wchar_t kFileSystemObject[] = L"Scripting.FileSystemObject";

shell::FormDescription ProbeForm();
int Run();

}  // namespace kit::services::scrrun
