// probe_VELvbutils under Wine, against the stand-in utility library: its window, "Test OK" twice
// on one object, a class that is not registered, an object without the interface, and failures
// whose descriptions are missing, very long or outside the ANSI code page.
#include "tests/services/services_support.h"

namespace {
using namespace kit;
using namespace kit::e2e;
using namespace kit::services_test;

constexpr wchar_t kProgram[] = L"probe_VELvbutils";
constexpr wchar_t kStandIn[] = L"standin_vbutils.dll";

TEST(Vbutils, WindowAndDoneEndsWithoutReleasingTheObject) {
  const std::wstring journal = NewJournal(L"vbutils_done");
  RegisteredStandIn standIn(kStandIn);
  auto started = StartAndWaitForForm(L"probe_VELvbutils.exe");
  ASSERT_TRUE(started.form);
  ExpectForm(started.form, 1850, 1260,
             {{L"done", L"Button", 300, 750, 1065, 375}, {L"test", L"Button", 300, 120, 1065, 375}});
  ExpectNoMessageBox(started.program);
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test OK", kProgram);
  driver::Click(driver::FindItem(started.form, L"done")->window);
  DWORD exitCode = 1234;
  EXPECT_TRUE(started.program.WaitForExit(driver::Scaled(10000), &exitCode));
  EXPECT_EQ(exitCode, 0u);
  // "done" ends the process at once: the window never lets go of the object.
  EXPECT_FALSE(Contains(ReadUtf8Journal(journal), L"release VELvbutils")) << Lines(ReadUtf8Journal(journal));
}

TEST(Vbutils, TwoTestsUseOneObjectAndClosingReleasesIt) {
  const std::wstring journal = NewJournal(L"vbutils_twice");
  RegisteredStandIn standIn(kStandIn);
  auto started = StartAndWaitForForm(L"probe_VELvbutils.exe");
  ASSERT_TRUE(started.form);
  EXPECT_TRUE(ReadUtf8Journal(journal).empty()) << "nothing is created before the first test";
  for (int click = 1; click <= 2; ++click) {
    SCOPED_TRACE(click);
    ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test OK", kProgram);
  }
  driver::CloseWithCloseBox(started.form);
  DWORD exitCode = 1234;
  EXPECT_TRUE(started.program.WaitForExit(driver::Scaled(10000), &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(ReadUtf8Journal(journal),
            (std::vector<std::wstring>{L"create VELvbutils", L"trimn \"test trimn\" -> \"test trimn\"",
                                       L"trimn \"test trimn\" -> \"test trimn\"", L"release VELvbutils"}))
      << Lines(ReadUtf8Journal(journal));
}

TEST(Vbutils, ClassNotRegisteredIsStepOneAndALaterTestCreatesIt) {
  ASSERT_EQ(CallRegistration(driver::BesideMe(kStandIn), false), S_OK);
  auto started = StartAndWaitForForm(L"probe_VELvbutils.exe");
  ASSERT_TRUE(started.form);
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test 1 failed: Class not registered (0x80040154)",
                         kProgram);
  RegisteredStandIn standIn(kStandIn);
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test OK", kProgram);
}

TEST(Vbutils, ObjectWithoutTheInterfaceIsStepOneNeverACallIntoAForeignTable) {
  const std::wstring journal = NewJournal(L"vbutils_no_interface");
  RegisteredStandIn standIn(kStandIn);
  StandInMode mode(L"no-interface");
  auto started = StartAndWaitForForm(L"probe_VELvbutils.exe");
  ASSERT_TRUE(started.form);
  auto box = ClickForMessage(started, L"test");
  ASSERT_TRUE(box);
  EXPECT_TRUE(box->text.starts_with(L"Test 1 failed: ") && box->text.size() > 15) << driver::Narrow(box->text);
  ExpectMessageAndAnswer(box, box->text, kProgram);
  EXPECT_EQ(ReadUtf8Journal(journal), (std::vector<std::wstring>{L"create VELvbutils", L"release VELvbutils"}))
      << Lines(ReadUtf8Journal(journal));
}

TEST(Vbutils, FailingTrimnIsStepOneWithItsDescriptionWhateverItsShape) {
  RegisteredStandIn standIn(kStandIn);
  struct Case {
    const wchar_t* mode;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"fail-silent", L""},
      {L"fail-long", L"Test 1 failed: " + std::wstring(1024, L'x') + L"..."},
      {L"fail-wide", L"Test 1 failed: \u041e\u0448\u0438\u0431\u043a\u0430 \u65e5\u672c \u2603"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(driver::Narrow(c.mode));
    StandInMode mode(c.mode);
    auto started = StartAndWaitForForm(L"probe_VELvbutils.exe");
    ASSERT_TRUE(started.form);
    auto box = ClickForMessage(started, L"test");
    ASSERT_TRUE(box);
    if (c.expected.empty()) {
      // No words of its own: the system's text for the code, whatever this system calls it.
      EXPECT_TRUE(box->text.starts_with(L"Test 1 failed: ") && box->text.find_first_not_of(L' ', 15) != std::wstring::npos)
          << driver::Narrow(box->text);
      ExpectMessageAndAnswer(box, box->text, kProgram);
    } else {
      ExpectMessageAndAnswer(box, c.expected, kProgram);
    }
    // The window stays usable: the same failure comes again on the next click.
    auto again = ClickForMessage(started, L"test");
    ASSERT_TRUE(again);
    ExpectMessageAndAnswer(again, c.expected.empty() ? box->text : c.expected, kProgram);
  }
}

}  // namespace
