// Win32-only. The diagnosis made in a child process: kit_survey started again with --diagnose or
// --diagnose-file maps the component's libraries, reads hostile files and follows server paths
// that may never answer, so none of it can crash, hang or grow the survey itself. The child writes
// its diagnosis into a file the survey names; the survey waits for it within a bound and ends it
// after, with everything it started.
#pragma once

#include "diagnosis/diagnosis.h"

#include <string>

namespace kit::survey {

// How long one diagnosis may take, child start included.
inline constexpr DWORD kDiagnosisBoundMs = 20000;

// Starts `program` with `arguments` and " --into FILE", waits at most `boundMs`, and reads the
// diagnosis the child wrote. A child that ran past the bound, crashed, wrote no whole diagnosis or
// could not be started gives an unfinished diagnosis whose cause says so.
kit::diagnosis::Diagnosis DiagnoseApart(const std::wstring& program, const std::wstring& arguments, DWORD boundMs);

// The diagnosis of a kit program's components, or of one file, by this program (kit_survey)
// started as a child, within kDiagnosisBoundMs.
kit::diagnosis::Diagnosis DiagnoseProgramApart(const std::wstring& program);
kit::diagnosis::Diagnosis ExplainFileApart(const std::wstring& file);

// The child's side: the diagnosis written into `into` whole, or not at all; false when it cannot be.
bool WriteDiagnosis(const kit::diagnosis::Diagnosis& diagnosis, const std::wstring& into);

// The command-line word for a value: quoted as the system's argument reader splits it.
std::wstring Quoted(const std::wstring& value);

}  // namespace kit::survey
