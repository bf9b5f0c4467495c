// Win32-only. The process list comes in a record of the caller's size: a job holds few processes,
// and one that holds more than the record has room for says so by ERROR_MORE_DATA with the ids it
// did fit, which is enough to look at their windows.
#include "survey/program_job.h"

#include "driver/driver.h"

namespace kit::survey {
namespace {

constexpr DWORD kMostListed = 64;
constexpr DWORD kEndedPollMs = 10;
// What the job's processes end with when the survey ends them (the code Program::Kill gives too).
constexpr UINT kEndedBySurvey = 99;

struct ProcessList {
  JOBOBJECT_BASIC_PROCESS_ID_LIST head;
  ULONG_PTR more[kMostListed - 1];
};

DWORD ActiveProcesses(HANDLE job) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
  if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof(accounting), nullptr)) {
    return 0;
  }
  return accounting.ActiveProcesses;
}

}  // namespace

kit::UniqueHandleObject MakeEndingJob() {
  kit::UniqueHandleObject job(CreateJobObjectW(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
  SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
  return job;
}

std::vector<DWORD> JobProcessIds(HANDLE job) {
  if (!job) return {};
  ProcessList list{};
  list.head.NumberOfAssignedProcesses = kMostListed;
  if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, &list, sizeof(list), nullptr) &&
      GetLastError() != ERROR_MORE_DATA) {
    return {};
  }
  std::vector<DWORD> ids;
  const ULONG_PTR* id = list.head.ProcessIdList;
  for (DWORD i = 0; i < list.head.NumberOfProcessIdsInList && i < kMostListed; ++i) {
    ids.push_back(static_cast<DWORD>(id[i]));
  }
  return ids;
}

bool EndJob(HANDLE job, DWORD boundMs) {
  if (!job) return true;
  TerminateJobObject(job, kEndedBySurvey);
  return driver::WaitUntil([&] { return ActiveProcesses(job) == 0; }, boundMs);
}

}  // namespace kit::survey
