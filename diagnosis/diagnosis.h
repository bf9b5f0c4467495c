// Win32-only. Why a component is broken: for each class the program creates, its registration in
// the registry view the kit's programs see (and whether only the other view has it), its server
// file (present, size, date, version, machine) and that file's dependencies as the loader resolves
// them; for a library the program loads by name, the file the loader finds and its dependencies.
// The page shows every line; the CSV one short cause.
#pragma once

#include "common/win32.h"
#include "diagnosis/class_registration.h"

#include <string>
#include <string_view>
#include <vector>

namespace kit::diagnosis {

// What the kit's program `program` creates or loads; empty for a program that uses nothing outside.
std::vector<ComponentPart> PartsOf(std::wstring_view program);

struct Diagnosis {
  std::vector<std::wstring> lines;  // for the page, in order
  std::wstring cause;               // the first thing found wrong; empty when nothing was
  bool finished = true;             // false: the diagnosis was cut off (ran past its bound, crashed); `cause` says so
};

// The diagnosis of the component parts of `program` (PartsOf), or of any parts; each class or
// file once.
Diagnosis DiagnoseProgram(std::wstring_view program);
Diagnosis DiagnoseParts(const std::vector<ComponentPart>& parts);
// The diagnosis of one file (kit_survey --explain): its facts and its dependencies.
Diagnosis ExplainFile(const std::wstring& file);

}  // namespace kit::diagnosis
