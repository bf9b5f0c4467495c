// Win32-only. What the survey tells of the machine it runs on: the Windows version as the system
// itself knows it (the report's heading) and the record beside the CSV (report/machine_record.h)
// by which the reports of many machines are told apart.
#pragma once

#include "common/win32.h"
#include "report/machine_record.h"
#include "report/windows_version.h"

#include <string>

namespace kit::survey {

// The NetBIOS name, as the report folder's name has it; "unknown" when the system does not say.
std::wstring MachineName();
kit::report::WindowsVersion ReadWindowsVersion();
// `surveyed`: the local time the survey began.
kit::report::MachineRecord GatherMachineRecord(const kit::report::WindowsVersion& version, const SYSTEMTIME& surveyed);

}  // namespace kit::survey
