// probe_ado26 under Wine: the exact calls and values against the recording stand-in connection,
// a cancelled provider prompt, clicks while the prompt is open, the orderly and the immediate
// end, and Wine's own ADO.
#include "tests/services/services_support.h"

#include <algorithm>

namespace {
using namespace kit;
using namespace kit::e2e;
using namespace kit::services_test;

constexpr wchar_t kProgram[] = L"probe_ado26";
constexpr wchar_t kStandIn[] = L"standin_ado.dll";

const std::vector<std::wstring> kOneTest = {
    L"create Connection",
    L"Connection put ConnectionString \"\"",
    L"Connection get Properties",
    L"create Properties",
    L"Properties get Item VT_BSTR \"Prompt\"",
    L"create Property Prompt",
    L"Property Prompt put Value VT_I4 2",
    L"release Property Prompt",
    L"release Properties",
    L"Connection put CursorLocation 3",
    L"Connection call Open \"\" \"\" \"\" -1",
};

std::vector<std::wstring> Twice() {
  std::vector<std::wstring> lines = kOneTest;
  // The second test releases the first connection before it creates its own.
  lines.push_back(L"release Connection");
  lines.insert(lines.end(), kOneTest.begin(), kOneTest.end());
  return lines;
}

TEST(Ado, ExactCallsTwiceTheFirstConnectionReleasedFirstAndTheLastOnClose) {
  const std::wstring journal = NewJournal(L"ado_calls");
  RegisteredStandIn standIn(kStandIn, WineAdoLibrary());
  auto started = StartAndWaitForForm(L"probe_ado26.exe");
  ASSERT_TRUE(started.form);
  ExpectForm(started.form, 1670, 1560,
             {{L"done", L"Button", 270, 870, 1065, 375}, {L"test", L"Button", 240, 240, 1065, 375}});
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test ok", kProgram);
  EXPECT_EQ(ReadUtf8Journal(journal), kOneTest) << Lines(ReadUtf8Journal(journal));
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test ok", kProgram);
  EXPECT_EQ(ReadUtf8Journal(journal), Twice()) << Lines(ReadUtf8Journal(journal));

  // The close box ends the program in the orderly way: the open connection is released.
  driver::CloseWithCloseBox(started.form);
  DWORD exitCode = 1234;
  EXPECT_TRUE(started.program.WaitForExit(driver::Scaled(10000), &exitCode));
  EXPECT_EQ(exitCode, 0u);
  std::vector<std::wstring> closed = Twice();
  closed.push_back(L"release Connection");
  EXPECT_EQ(ReadUtf8Journal(journal), closed) << Lines(ReadUtf8Journal(journal));
}

TEST(Ado, DoneEndsAtOnceWithoutReleasingTheConnection) {
  const std::wstring journal = NewJournal(L"ado_done");
  RegisteredStandIn standIn(kStandIn, WineAdoLibrary());
  auto started = StartAndWaitForForm(L"probe_ado26.exe");
  ASSERT_TRUE(started.form);
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test ok", kProgram);
  driver::Click(driver::FindItem(started.form, L"done")->window);
  DWORD exitCode = 1234;
  EXPECT_TRUE(started.program.WaitForExit(driver::Scaled(10000), &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(ReadUtf8Journal(journal), kOneTest) << Lines(ReadUtf8Journal(journal));
}

TEST(Ado, CancelledPromptSaysTestFailedAndKeepsTheUnopenedConnection) {
  const std::wstring journal = NewJournal(L"ado_cancel");
  RegisteredStandIn standIn(kStandIn, WineAdoLibrary());
  StandInMode mode(L"cancel");
  auto started = StartAndWaitForForm(L"probe_ado26.exe");
  ASSERT_TRUE(started.form);
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test failed", kProgram);
  EXPECT_EQ(ReadUtf8Journal(journal), kOneTest) << "the unopened connection is kept:" << Lines(ReadUtf8Journal(journal));
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test failed", kProgram);
}

// Wine's ADO can be created but serves no Properties (its connection answers E_NOTIMPL there, as
// the Windows-side test states): the probe says "Test failed" at every click.
TEST(Ado, WinesOwnAdoSaysTestFailed) {
  ASSERT_EQ(CallRegistration(WineAdoLibrary(), true), S_OK);
  auto started = StartAndWaitForForm(L"probe_ado26.exe");
  ASSERT_TRUE(started.form);
  for (int click = 1; click <= 2; ++click) {
    SCOPED_TRACE(click);
    ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test failed", kProgram);
  }
}

// The provider's prompt has no owner window, so Form1 stays usable while it is open: further
// clicks of "test" are ignored until the test that opened it has ended.
TEST(Ado, ClicksWhileThePromptIsOpenAreIgnored) {
  const std::wstring journal = NewJournal(L"ado_prompt");
  RegisteredStandIn standIn(kStandIn, WineAdoLibrary());
  StandInMode mode(L"prompt");
  auto started = StartAndWaitForForm(L"probe_ado26.exe");
  ASSERT_TRUE(started.form);
  const HWND test = driver::FindItem(started.form, L"test")->window;
  driver::Click(test);
  const auto prompt = driver::WaitForMessageBox(started.program.Id());
  ASSERT_TRUE(prompt);
  ASSERT_EQ(prompt->title, L"stand-in data source");
  EXPECT_TRUE(IsWindowEnabled(started.form)) << "a prompt without an owner leaves Form1 usable";

  driver::Click(test);
  driver::Click(test);
  // The clicks arrived (the button took the focus from the prompt) and started nothing.
  EXPECT_TRUE(driver::WaitUntil([&] { return driver::FocusedWindow(started.form) == test; }));
  const auto secondTest = [&] {
    const auto lines = ReadUtf8Journal(journal);
    return std::count(lines.begin(), lines.end(), L"create Connection") > 1 ||
           std::count(lines.begin(), lines.end(), L"Connection prompt, OLE initialised") > 1;
  };
  EXPECT_FALSE(driver::WaitUntil(secondTest, 1500)) << Lines(ReadUtf8Journal(journal));

  ASSERT_TRUE(driver::PressOk(*prompt));
  ASSERT_TRUE(driver::WaitUntil([&] { return !IsWindow(prompt->window); }));
  ExpectMessageAndAnswer(driver::WaitForMessageBox(started.program.Id()), L"Test ok", kProgram);
  std::vector<std::wstring> expected = kOneTest;
  // The probe runs inside OLE, as the provider's prompt needs.
  expected.insert(expected.end(), {L"Connection prompt, OLE initialised", L"Connection prompt answered"});
  EXPECT_EQ(ReadUtf8Journal(journal), expected) << Lines(ReadUtf8Journal(journal));
}

}  // namespace
