// Win32-only. Where a loaded module's file lies, whatever the length of its path.
#pragma once

#include "common/win32.h"

#include <string>

namespace kit {

// The full path of `module`'s file (null: this program's); empty when the system cannot say.
std::wstring ModulePath(HMODULE module);

// The folder this program's file lies in.
std::wstring ProgramFolder();

}  // namespace kit
