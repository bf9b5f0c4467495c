// probe_scrrun under Wine: its window, Wine's real scripting runtime, and a runtime whose file
// system object lacks IFileSystem3.
#include "tests/services/services_support.h"

namespace {
using namespace kit;
using namespace kit::e2e;
using namespace kit::services_test;

constexpr wchar_t kProgram[] = L"probe_scrrun";
const std::vector<ExpectedItem> kItems = {{L"done", L"Button", 270, 870, 1065, 375},
                                          {L"test", L"Button", 240, 240, 1065, 375}};

TEST(Scrrun, WindowAndDoneEndsAtOnce) {
  auto started = StartAndWaitForForm(L"probe_scrrun.exe");
  ASSERT_TRUE(started.form);
  ExpectForm(started.form, 1670, 1560, kItems);
  ExpectNoMessageBox(started.program);
  driver::Click(driver::FindItem(started.form, L"done")->window);
  DWORD exitCode = 1234;
  EXPECT_TRUE(started.program.WaitForExit(driver::Scaled(10000), &exitCode));
  EXPECT_EQ(exitCode, 0u);
}

TEST(Scrrun, WinesScriptingRuntimeSaysTestOkAtEveryClick) {
  ASSERT_EQ(CallRegistration(kWineScriptingLibrary, true), S_OK);
  auto started = StartAndWaitForForm(L"probe_scrrun.exe");
  ASSERT_TRUE(started.form);
  for (int click = 1; click <= 2; ++click) {
    SCOPED_TRACE(click);
    ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test ok", kProgram);
  }
  EXPECT_TRUE(started.program.Running());
}

TEST(Scrrun, ObjectWithoutFileSystem3SaysTestFailedAndTheNextClickStillWorks) {
  const std::wstring journal = NewJournal(L"scrrun_standin");
  auto started = StartAndWaitForForm(L"probe_scrrun.exe");
  ASSERT_TRUE(started.form);
  {
    RegisteredStandIn standIn(L"standin_fso.dll", kWineScriptingLibrary);
    ASSERT_EQ(standIn.Result(), S_OK);
    ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test failed", kProgram);
    // Created, asked for IFileSystem3, released at once: nothing half-made is kept.
    EXPECT_EQ(ReadUtf8Journal(journal),
              (std::vector<std::wstring>{L"create FileSystemObject", L"release FileSystemObject"}))
        << Lines(ReadUtf8Journal(journal));
  }
  // The real runtime registered again: the same window passes now.
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test ok", kProgram);
}

}  // namespace
