// Win32-only. The classes' registry as COM reads it for the kit's programs: the current user's
// classes first, then HKEY_CLASSES_ROOT, in this process's own view (the kit's programs are built
// like kit_survey, so they see the same) and, for a class missing there, in the other view. An
// absent key or value is an empty result.
#pragma once

#include "common/win32.h"

#include <string>
#include <vector>

namespace kit::diagnosis {

// The view of the programs of the other width, and what the page calls them and these.
inline constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
inline constexpr const wchar_t* kOtherPrograms = sizeof(void*) == 8 ? L"32-bit" : L"64-bit";
inline constexpr const wchar_t* kThesePrograms = sizeof(void*) == 8 ? L"64-bit" : L"32-bit";

// Windows merges HKCU\Software\Classes over HKLM\Software\Classes into HKEY_CLASSES_ROOT, the
// user's first; Wine's HKCR never shows the user's classes. So the user's key of a path is read
// when there (its values, not the machine's), else HKCR's: what Windows' COM reads, under Wine too.
// The default (or named) string value of the classes' <path>, expanded; `found` says whether it is there.
std::wstring ClassesValue(const std::wstring& path, const wchar_t* name, bool& found, REGSAM view = 0);
bool ClassesKeyExists(const std::wstring& path, REGSAM view = 0);
// The names of the subkeys of the classes' <path>, the user's first, each once.
std::vector<std::wstring> ClassesSubkeys(const std::wstring& path, REGSAM view = 0);
// The user's classes have <path> and the machine's have not: it is there for this user only.
bool ForCurrentUserOnly(const std::wstring& path, REGSAM view = 0);
// A server value as the file it names: quotes (and what follows the closing one) are no part of it.
std::wstring Unquoted(std::wstring value);

}  // namespace kit::diagnosis
