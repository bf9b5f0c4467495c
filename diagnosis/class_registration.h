// Win32-only. A class's registration as COM reads it for this process: the ProgID's class, the
// TreatAs chain to the class that serves, that class's server (a library, a .NET assembly through
// the runtime's loader, a program or a service) and its type library; what is wrong with it, first.
#pragma once

#include <string>
#include <vector>

namespace kit::diagnosis {

// A part of a component: a class (by identifier, with the ProgID the program creates it by, if it
// does) or a library the program loads by its file name.
struct ComponentPart {
  std::wstring progId;   // may be empty
  std::wstring classId;  // "{...}"; empty for a library loaded by name
  std::wstring file;     // the file the catalogue names
  bool byProgId = false; // the program creates the class by its ProgID
};

struct ClassRegistration {
  std::wstring classId;             // the class asked for ({...}); for a part created by ProgID, the one it names; empty when that ProgID is not registered
  std::wstring name;                // how the page names it: "ProgID {clsid}" or "{clsid}"
  std::vector<std::wstring> lines;  // the registration's facts for the page, in order
  std::wstring cause;               // the first thing wrong with the registration; empty when in order (not among `lines`)
  std::wstring serverFile;          // the file whose dependencies are to be walked: unquoted, arguments dropped, expanded; a bare name is for the loader to find; empty when there is none to walk
  bool serverIsProgram = false;     // served by an EXE (LocalServer32)
};

ClassRegistration ReadClassRegistration(const ComponentPart& part);

}  // namespace kit::diagnosis
