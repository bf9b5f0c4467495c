// The driver fails loudly and within its bounds: a program that does not start, a window that
// never appears, a program that does not end.
#include "tests/e2e/e2e_support.h"

namespace {
using namespace kit;

TEST(Driver, AProgramThatDoesNotExistIsAClearFailure) {
  auto program = driver::Program::Start(driver::BesideMe(L"no_such_program.exe"));
  EXPECT_FALSE(program.Started());
  EXPECT_NE(program.Error().find(L"no_such_program.exe"), std::wstring::npos) << driver::Narrow(program.Error());
  EXPECT_EQ(program.WaitForWindow(L"Form1", 100), nullptr);
  EXPECT_FALSE(program.WaitForExit(100));
}

TEST(Driver, WaitsAreBounded) {
  auto started = e2e::StartAndWaitForForm(L"probe_base.exe");
  ASSERT_TRUE(started.form);
  const ULONGLONG begin = GetTickCount64();
  EXPECT_EQ(started.program.WaitForWindow(L"No such window", 500), nullptr);
  EXPECT_FALSE(driver::WaitForMessageBox(started.program.Id(), 500).has_value());
  EXPECT_FALSE(started.program.WaitForExit(500));
  const ULONGLONG spent = GetTickCount64() - begin;
  EXPECT_LT(spent, 5000u) << "three bounded waits of 0.5 s took " << spent << " ms";
  started.program.Kill();
  EXPECT_FALSE(started.program.Running());
}

// The bounds a test leaves to the driver (its defaults, a window's text) grow on the emulated CPU
// as those the test scales itself do: every test program sets the driver's scale before main.
// e2e_wait_scale runs this with KIT_WAIT_SCALE=3.
TEST(Driver, DefaultBoundsFollowTheTestsWaitScale) {
  EXPECT_EQ(driver::DefaultWaitMs(), driver::Scaled(15000)) << "tests' wait scale " << driver::TestWaitScale();
}

}  // namespace
