// The file locator: finds a component file the way the machine would use it. Programs (names
// ending in "EXE", any case) are looked up as files; everything else is loaded by the system
// loader, its path read and the library unloaded again.
#pragma once

#include "verifier/verifier_os.h"

#include <string>

namespace kit::verifier {

inline constexpr wchar_t kUnableToLocate[] = L"Unable to locate";

// True when the last three characters, in upper case, are "EXE" ("myprogexe" counts).
bool IsProgramName(const std::wstring& name);

// The full path of the loaded module `name`, or empty when it is not loaded.
std::wstring GetModulePath(VerifierOs& os, std::wstring name);

// Returns the found flag. `path` is always rewritten: the full path when found, exactly
// "Unable to locate" when not. When the loader fails, the maker's search function runs once and
// may rewrite `name`; what it finds is not used. The code the caller reads afterwards is the one
// recorded after the last platform call made here (none for program names).
bool LocateFile(VerifierOs& os, std::wstring& name, std::wstring& path);

}  // namespace kit::verifier
