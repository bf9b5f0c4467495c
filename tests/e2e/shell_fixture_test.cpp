// The probe shell under Wine through a test program with more on its form than probe_base: tab
// order, fonts, check boxes, message boxes, the two endings and a control that cannot be created.
#include "tests/e2e/e2e_support.h"

namespace {
using namespace kit;
using namespace kit::e2e;

const DWORD kEndMs = driver::Scaled(10000);

std::string JournalText(const std::vector<std::wstring>& lines) {
  std::string text;
  for (const auto& line : lines) text += driver::Narrow(line) + "\n";
  return text;
}

HWND ItemByText(HWND form, const wchar_t* text) {
  auto item = driver::FindItem(form, text);
  return item ? item->window : nullptr;
}

std::wstring FocusedText(HWND form) {
  HWND focus = driver::FocusedWindow(form);
  return focus ? driver::WindowText(focus) : L"<nothing>";
}

TEST(ShellForm, ItemsSitAtTheirTwipsPlacesLaterOnesAbove) {
  NewJournal(L"places");
  auto started = StartAndWaitForForm(L"shell_fixture.exe");
  ASSERT_TRUE(started.form);
  const auto items = driver::ListItems(started.form);
  ASSERT_EQ(items.size(), 4u) << driver::Narrow(driver::Describe(items));
  // Stacked by creation, the last created on top: done, Done, lib, test
  const wchar_t* expected[] = {L"done", L"Done", L"lib", L"test"};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(items[i].text, expected[i]) << i;
  const auto& check = items[2];
  EXPECT_EQ(check.rect.left, PixelsX(120));
  EXPECT_EQ(check.rect.top, PixelsY(720));
  EXPECT_EQ(check.rect.right - check.rect.left, PixelsX(1500));
  EXPECT_EQ(check.check, BST_UNCHECKED);
  const auto& done = items[1];
  EXPECT_EQ(done.rect.right - done.rect.left, PixelsX(1030));
  EXPECT_EQ(done.rect.bottom - done.rect.top, PixelsY(340));
  EXPECT_TRUE(items[0].focused) << "focus goes to the lowest tab index, created last here";
}

TEST(ShellForm, TabWalksTheTabOrderAndSpaceWorksTheFocusedItem) {
  NewJournal(L"keys");
  auto started = StartAndWaitForForm(L"shell_fixture.exe");
  ASSERT_TRUE(started.form);
  std::vector<std::wstring> walk{FocusedText(started.form)};
  for (int i = 0; i < 4; ++i) {
    HWND before = driver::FocusedWindow(started.form);
    driver::PressKey(started.form, VK_TAB);
    driver::WaitUntil([&] { return driver::FocusedWindow(started.form) != before; }, 3000);
    walk.push_back(FocusedText(started.form));
  }
  const std::vector<std::wstring> expected{L"done", L"lib", L"test", L"Done", L"done"};
  EXPECT_EQ(walk, expected);
  // Tab to the check box, Space ticks it; Space again clears it; a click ticks it again.
  driver::PressKey(started.form, VK_TAB);
  ASSERT_TRUE(driver::WaitUntil([&] { return FocusedText(started.form) == L"lib"; }, 3000));
  auto checkIs = [&](int state) {
    return driver::WaitUntil([&] { return driver::FindItem(started.form, L"lib")->check == state; }, 3000);
  };
  driver::PressKey(started.form, VK_SPACE);
  EXPECT_TRUE(checkIs(BST_CHECKED));
  driver::PressKey(started.form, VK_SPACE);
  EXPECT_TRUE(checkIs(BST_UNCHECKED));
  driver::Click(ItemByText(started.form, L"lib"));
  EXPECT_TRUE(checkIs(BST_CHECKED));
  EXPECT_TRUE(started.program.Running());
}

TEST(ShellForm, ItemsGetTheirOwnFontOrTheDefaultOne) {
  const std::wstring journal = NewJournal(L"fonts");
  auto started = StartAndWaitForForm(L"shell_fixture.exe");
  ASSERT_TRUE(started.form);
  const auto lines = ReadJournal(journal);
  EXPECT_TRUE(Contains(lines, L"font Check_lib MS Sans Serif " + std::to_wstring(-PixelsY(160)) + L" 700"))
      << JournalText(lines);
  std::wstring defaultFont;
  for (const auto& line : lines) {
    if (line.rfind(L"font Command_test ", 0) == 0) defaultFont = line.substr(18);
  }
  EXPECT_FALSE(defaultFont.empty()) << JournalText(lines);
  EXPECT_TRUE(Contains(lines, L"font Command_done " + defaultFont)) << "items without a font share the default";
  EXPECT_TRUE(Contains(lines, L"font Command1 " + defaultFont));
}

TEST(ShellForm, MessageBoxHasOnlyOkAndTheFormStaysUsable) {
  NewJournal(L"message");
  auto started = StartAndWaitForForm(L"shell_fixture.exe");
  ASSERT_TRUE(started.form);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    driver::Click(ItemByText(started.form, L"test"));
    auto box = driver::WaitForMessageBox(started.program.Id());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"clicked");
    EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_EQ(box->title, L"shell_fixture");
    ASSERT_TRUE(driver::PressOk(*box));
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (IsWindow(box->window) && GetTickCount64() < deadline) Sleep(20);
    EXPECT_FALSE(IsWindow(box->window)) << "OK did not close the message box";
    EXPECT_TRUE(started.program.Running());
  }
}

TEST(ShellForm, CommandDoneEndsWithoutAnyCloseNotification) {
  const std::wstring journal = NewJournal(L"done");
  auto started = StartAndWaitForForm(L"shell_fixture.exe");
  ASSERT_TRUE(started.form);
  driver::Click(ItemByText(started.form, L"done"));
  ASSERT_TRUE(started.program.WaitForExit(kEndMs));
  const auto lines = ReadJournal(journal);
  for (const auto& line : lines) {
    EXPECT_EQ(line.find(L"close"), std::wstring::npos) << JournalText(lines);
    EXPECT_EQ(line.find(L"destroy"), std::wstring::npos) << JournalText(lines);
  }
}

TEST(ShellForm, Command1AndTheCloseBoxCloseTheFormInTheOrderlyWay) {
  for (bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox ? "close box" : "Command1");
    const std::wstring journal = NewJournal(closeBox ? L"closebox" : L"command1");
    auto started = StartAndWaitForForm(L"shell_fixture.exe");
    ASSERT_TRUE(started.form);
    if (closeBox) {
      driver::CloseWithCloseBox(started.form);
    } else {
      driver::Click(ItemByText(started.form, L"Done"));
    }
    DWORD exitCode = 1234;
    ASSERT_TRUE(started.program.WaitForExit(kEndMs, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    const auto lines = ReadJournal(journal);
    std::vector<std::wstring> ending;
    for (const auto& line : lines) {
      if (line.rfind(L"font ", 0) != 0) ending.push_back(line);
    }
    const std::vector<std::wstring> expected{L"Form1 close", L"Form1 destroy", L"Command_test destroy",
                                             L"Check_lib destroy", L"Command1 destroy", L"Command_done destroy"};
    EXPECT_EQ(ending.size(), expected.size()) << JournalText(lines);
    EXPECT_EQ(ending.empty() ? L"" : ending.front(), L"Form1 close") << JournalText(lines);
    for (const auto& line : expected) EXPECT_TRUE(Contains(ending, line)) << driver::Narrow(line);
  }
}

// Starts the fixture in `mode`, which must stop with a failure report (OK only) before Form1 ever
// shows, and end with a failure code once the report is answered; the report's text.
std::wstring FailureReportBeforeFormOne(const wchar_t* mode) {
  auto program = driver::Program::Start(driver::BesideMe(L"shell_fixture.exe"), mode);
  EXPECT_TRUE(program.Started());
  auto box = driver::WaitForMessageBox(program.Id());
  if (!box) {
    ADD_FAILURE() << "no failure report";
    return {};
  }
  EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
  for (HWND window : driver::TopLevelWindows(program.Id())) {
    EXPECT_NE(driver::WindowText(window), L"Form1") << "Form1 must never show";
  }
  EXPECT_TRUE(driver::PressOk(*box));
  DWORD exitCode = 0;
  EXPECT_TRUE(program.WaitForExit(kEndMs, &exitCode));
  EXPECT_NE(exitCode, 0u);
  return box->text;
}

TEST(ShellForm, AControlThatCannotBeCreatedStopsTheWindowNamingItsFile) {
  NewJournal(L"control");
  const std::wstring text = FailureReportBeforeFormOne(L"control");
  EXPECT_EQ(text.rfind(L"KITABSENT.OCX", 0), 0u) << driver::Narrow(text);
  EXPECT_NE(text.find(L"KitAbsent.Slider (sld_absent)"), std::wstring::npos) << driver::Narrow(text);
  EXPECT_NE(text.find(L"is not registered"), std::wstring::npos) << driver::Narrow(text);
  EXPECT_NE(text.find(L"0x80040154"), std::wstring::npos) << driver::Narrow(text);
}

TEST(ShellForm, AButtonNamingAHandlerTheProgramLacksStopsItBeforeFormOne) {
  const std::wstring text = FailureReportBeforeFormOne(L"unknown-handler");
  EXPECT_NE(text.find(L"'Command_lost': no handler named NoSuchHandler"), std::wstring::npos) << driver::Narrow(text);
}

}  // namespace
