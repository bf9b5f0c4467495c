// Win32-only. The job a program of the survey runs in, one per program: what the program starts
// ends with it, a process that meets an unhandled exception ends at once with its code (no
// crash-report window waits for a person), and everything in it is ended before its scratch folder
// is removed, so nothing it started keeps files open there or outlives the survey.
#pragma once

#include "common/owners.h"
#include "common/win32.h"

#include <vector>

namespace kit::survey {

// A job whose processes end when the last handle to it closes (the survey ended, even killed) or
// on an unhandled exception. Null when the system gives none.
kit::UniqueHandleObject MakeEndingJob();

// The processes in `job` now (none for a null job or one the system will not list).
std::vector<DWORD> JobProcessIds(HANDLE job);

// Ends every process in `job` and waits, within the bound, until none is left in it. True when the
// job is empty.
bool EndJob(HANDLE job, DWORD boundMs);

}  // namespace kit::survey
