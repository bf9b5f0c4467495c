// The job each surveyed program runs in, against the real system: a program started in it is in
// it, and ending the job leaves nothing of it running, whatever it started.
#include "tests/support/driver_support.h"
#include "driver/driver.h"
#include "survey/program_job.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::wstring Fixture(const std::wstring& name) { return kit::driver::BesideMe(L"dependency_fixtures\\" + name); }

TEST(ProgramJob, EndingItEndsEverythingInIt) {
  const kit::UniqueHandleObject job = kit::survey::MakeEndingJob();
  ASSERT_TRUE(job);
  // Two hanging programs: the program itself and one standing for what it started.
  kit::driver::Program first = kit::driver::Program::Start(Fixture(L"kit_fx_child.exe"), L"hang", L"", job.get());
  kit::driver::Program second = kit::driver::Program::Start(Fixture(L"kit_fx_child.exe"), L"hang", L"", job.get());
  ASSERT_TRUE(first.Started()) << first.Error();
  ASSERT_TRUE(second.Started()) << second.Error();
  EXPECT_TRUE(first.InJob()) << "assignment failed with " << first.JobError();

  const std::vector<DWORD> ids = kit::survey::JobProcessIds(job.get());
  for (DWORD id : {first.Id(), second.Id()}) {
    EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end()) << "process " << id << " not listed in its job";
  }
  EXPECT_TRUE(kit::survey::EndJob(job.get(), 5000));
  EXPECT_TRUE(first.WaitForExit(0) && second.WaitForExit(0)) << "a process of the job still runs";
  EXPECT_TRUE(kit::survey::JobProcessIds(job.get()).empty());
}

}  // namespace
