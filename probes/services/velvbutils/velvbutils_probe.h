// probe_VELvbutils: on a click of "test", creates the global object of the maker's utility
// library once, calls its string function `trimn` and says "Test OK" or which step failed.
#pragma once

#include "common/win32.h"
#include "probes/shell/form_model.h"

#include <objbase.h>

namespace kit::services::velvbutils {

// The library's global object, and the file the maker ships it in.
inline constexpr CLSID kGlobalClass = {0x57C7D739, 0x3998, 0x4D96, {0xAF, 0x30, 0x90, 0x90, 0x86, 0x70, 0x52, 0x2F}};
inline constexpr wchar_t kLibraryFile[] = L"VELVBUtils.dll";

shell::FormDescription ProbeForm();
int Run();

}  // namespace kit::services::velvbutils
