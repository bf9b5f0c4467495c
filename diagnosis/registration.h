// Win32-only. The classes' registry as the kit's programs see it: HKEY_CLASSES_ROOT read in this
// process's own view (the kit's programs are built like kit_survey, so they see the same) and, for
// a class missing there, in the other view. An absent key or value is an empty result.
#pragma once

#include "common/win32.h"

#include <string>

namespace kit::diagnosis {

// The view of the programs of the other width, and what the page calls them.
inline constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
inline constexpr const wchar_t* kOtherPrograms = sizeof(void*) == 8 ? L"32-bit" : L"64-bit";

// The default (or named) string value of HKCR\<path>, expanded; `found` says whether it is there.
std::wstring ClassesValue(const std::wstring& path, const wchar_t* name, bool& found, REGSAM view = 0);
bool ClassesKeyExists(const std::wstring& path, REGSAM view = 0);
// A server value as the file it names: quotes (and what follows the closing one) are no part of it.
std::wstring Unquoted(std::wstring value);

}  // namespace kit::diagnosis
