// Win32-only. A component file's dependencies, resolved by the loader of this process as it
// resolves them when the file is loaded by its path: libraries already loaded, API sets and known
// DLLs as the system has them, then the file's own folder, the side-by-side assemblies the
// importing library's own manifest names, and the rest of the search order. Each library is
// mapped without running any of its code (no start-up code, no imports of its own resolved) and
// read from its file. What the file needs and does not get is named with the chain that needs it.
//
// Mapping hostile files is no business of a process that has other work: the survey runs this in
// a child process of its own (diagnosis_child.h).
#pragma once

#include "common/win32.h"

#include <string>
#include <vector>

namespace kit::diagnosis {

struct FoundLibrary {
  std::wstring name;     // as the importing file names it
  std::wstring path;     // where the loader found it
  std::wstring where;    // "beside the file", "known DLL", "side-by-side assembly", "search order", ...
  bool delayed = false;  // reached only below a delayed import
  bool system = false;   // the system's own: its functions are checked, what it imports is not walked
};

struct DependencyProblem {
  enum Kind { Missing, LacksFunction, WrongMachine, Refused, Manifest } kind = Missing;
  std::wstring library;              // the library as imported
  std::vector<std::wstring> chain;   // the component file first, then each library that needs the next
  std::wstring path;                 // where the library was found (all but Missing)
  std::wstring version;              // its version, when it carries one
  std::wstring function;             // LacksFunction: "Name" or "#12"
  std::wstring detail;               // WrongMachine: what the file is; Refused, Manifest: what and the system's text
  std::wstring forwarded;            // reached through a forwarded export: "X imports `f` from A.dll, which forwards it there"
  bool delayed = false;              // at or below a delayed import: not fatal at load
};

struct DependencyReport {
  std::wstring file;
  std::wstring fileError;            // the component file itself cannot be used as a program file, and why
  bool otherMachine = false;         // the file is built for another machine than this process
  std::wstring fileKind;             // "32-bit" or "64-bit"
  std::wstring fileVersion;          // from its version resource; empty when it has none
  std::vector<FoundLibrary> found;
  std::vector<DependencyProblem> problems;
  std::wstring cut;                  // not empty: the walk stopped at one of its bounds, and which
};

DependencyReport WalkDependencies(const std::wstring& file);

// Where the loader finds a library by a bare name for this process (asked, nothing of it run);
// empty when it finds none.
std::wstring LoaderPath(const std::wstring& name);

// One line for a problem: "LIBX.DLL 2.1.0.5 at C:\...\LIBX.DLL lacks `SomeFunction`, which X.ocx
// imports", "MISSING.DLL is missing (X.ocx needs A.DLL, which needs it)", ...
std::wstring ProblemText(const DependencyProblem& problem);

}  // namespace kit::diagnosis
