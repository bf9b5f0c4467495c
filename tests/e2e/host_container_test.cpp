// The control hosts as a full form container, with stand-ins that behave as real controls do:
// licensed classes, windows without tab stops, keys only through the accelerator hook, controls
// that read their container and extender, ask for the extended site, persist only in a storage,
// ask for a place of their own, or clip their siblings.
#include "tests/e2e/host_support.h"

#include "common/kit_window.h"
#include "common/twips.h"

#include <algorithm>

namespace {
using namespace kit;
using namespace kit::e2e;
using kit::shell::FormDescription;

const DWORD kEndMs = driver::Scaled(10000);
const DWORD kStepMs = driver::Scaled(3000);

TEST(LicensedControl, WithoutAKeyTheReportSaysItRefusesToBeCreatedWithoutALicence) {
  ASSERT_EQ(RegisterStandin(L"GRAPH32.OCX"), S_OK);
  NewControlJournal(L"licensed");
  SetControlFailure(L"GraphLib.Graph:licensed");
  auto program = driver::Program::Start(driver::BesideMe(L"probe_graph32.exe"));
  SetControlFailure(L"");
  ASSERT_TRUE(program.Started());
  auto box = driver::WaitForMessageBox(program.Id());
  ASSERT_TRUE(box) << "no failure report";
  const std::wstring expected =
      L"GRAPH32.OCX\r\n\r\nThe control GraphLib.Graph (graph32) could not be created: its class is registered and "
      L"its file loads, but it refuses to be created without a licence key on this machine.\r\n";
  EXPECT_EQ(box->text.rfind(expected, 0), 0u) << driver::Narrow(box->text);
  EXPECT_NE(box->text.find(L"0x80040112"), std::wstring::npos) << driver::Narrow(box->text);
  ASSERT_TRUE(driver::PressOk(*box));
  EXPECT_TRUE(program.WaitForExit(kEndMs));
}

// Controls whose windows carry no tab stop, as most real ones: the first focus and every Tab go
// by the form's tab indexes, into frames too. A window that claims Tab through WM_GETDLGCODE
// does not keep it, a key handed back through the site moves the focus once, and controls that
// decline the focus (frames and bars without UI) are passed over.
TEST(TabStopLessControls, FocusStartsAndTabWalksByTheFormsTabIndexes) {
  struct Step {
    const wchar_t* name;
    std::optional<std::int16_t> index;
  };
  struct Case {
    const wchar_t* program;
    const wchar_t* file;
    const wchar_t* habits;
    std::vector<Step> walk;  // from the first focus, one Tab each
    const wchar_t* instance = nullptr;  // with a line its journal must hold
    const wchar_t* line = nullptr;
  };
  const Case cases[] = {
      {L"probe_VELEditControl", L"VELEditControl.ocx", L"VELEditControl.EditControl:notabstop",
       {{L"EditControl1", {}}, {L"Command1", {}}, {L"EditControl1", {}}}},
      {L"probe_threed32", L"THREED32.OCX",
       L"Threed.SSFrame:notabstop;Threed.SSOption:notabstop;Threed.SSCheck:notabstop",
       {{L"Command_done", {}}, {L"Check_threed32", {}}, {L"Frame_threed32", {}}, {L"Option_threed32", 0},
        {L"Option_threed32", 1}, {L"Command_done", {}}}},
      {L"probe_mscomctl", L"MSCOMCTL.OCX",
       L"MSComctlLib.Toolbar:notabstop;MSComctlLib.StatusBar:notabstop;MSComctlLib.ProgressBar:notabstop;"
       L"MSComctlLib.TreeView:notabstop;MSComctlLib.Slider:notabstop",
       {{L"Command_done", {}}, {L"tlb_mscomctl", {}}, {L"Status_mscomctl", {}}, {L"prg_mscomctl", {}},
        {L"Tree_mscomctl", {}}, {L"sld_mscomctl", {}}, {L"Command_done", {}}}},
      {L"probe_VELEditControl", L"VELEditControl.ocx",
       L"VELEditControl.EditControl:notabstop;VELEditControl.EditControl:wanttab",
       {{L"EditControl1", {}}, {L"Command1", {}}, {L"EditControl1", {}}}},
      {L"probe_threed32", L"THREED32.OCX",
       L"Threed.SSFrame:nofocus;Threed.SSOption:notabstop;Threed.SSCheck:wanttab;Threed.SSCheck:handsback",
       {{L"Command_done", {}}, {L"Check_threed32", {}}, {L"Option_threed32", 0}, {L"Option_threed32", 1},
        {L"Command_done", {}}},
       L"Check_threed32", L"handed 9 taken"},
      {L"probe_mscomctl", L"MSCOMCTL.OCX",
       L"MSComctlLib.StatusBar:nofocus;MSComctlLib.ProgressBar:nofocus;MSComctlLib.TreeView:wanttab",
       {{L"Command_done", {}}, {L"tlb_mscomctl", {}}, {L"Tree_mscomctl", {}}, {L"sld_mscomctl", {}},
        {L"Command_done", {}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(driver::Narrow(c.program));
    auto host = StartHost(c.program, c.file, c.habits);
    ASSERT_TRUE(host.form);
    const FormDescription form = FormOf(c.program);
    std::vector<std::wstring> expected, walked;
    for (std::size_t i = 0; i < c.walk.size(); ++i) {
      const Step& step = c.walk[i];
      HWND wanted = WindowOf(host.form, form, step.name, step.index);
      ASSERT_TRUE(wanted) << driver::Narrow(step.name);
      expected.push_back(InstanceName({.name = step.name, .index = step.index}));
      driver::WaitUntil([&] { return driver::FocusedWindow(host.form) == wanted; }, kStepMs);
      walked.push_back(driver::FocusedWindow(host.form) == wanted ? expected.back() : L"<elsewhere>");
      if (i + 1 < c.walk.size()) driver::PressKey(host.form, VK_TAB);
    }
    EXPECT_EQ(walked, expected) << JoinLines(walked);
    // Each control the walk left gave up its UI activation, to a control or to a button.
    const auto journal = ReadJournal(host.journal);
    for (std::size_t i = 0; i + 1 < c.walk.size(); ++i) {
      const std::wstring instance = expected[i];
      if (instance.rfind(L"Command", 0) == 0) continue;
      const auto lines = LinesOf(journal, instance);
      EXPECT_TRUE(Contains(lines, L"uiactivate") && Contains(lines, L"uideactivate"))
          << driver::Narrow(instance) << ":\n" << JoinLines(lines);
    }
    if (c.instance) {
      const auto lines = LinesOf(journal, c.instance);
      EXPECT_TRUE(Contains(lines, c.line)) << driver::Narrow(c.instance) << ":\n" << JoinLines(lines);
    }
    driver::CloseWithCloseBox(host.form);
    EXPECT_TRUE(host.program.WaitForExit(kEndMs));
  }
}

// A control that answers keys only through its accelerator hook (its window asks the dialog
// manager for none): arrows reach it, Tab leaves it, and it follows Form1's activation.
TEST(KeyHookControl, ArrowsReachTheControlThroughItsHookAndFocusMovesByUIActivation) {
  auto host = StartHost(L"probe_VELEditControl", L"VELEditControl.ocx",
                        L"VELEditControl.EditControl:notabstop;VELEditControl.EditControl:keyhook");
  ASSERT_TRUE(host.form);
  const FormDescription form = FormOf(L"probe_VELEditControl");
  HWND edit = WindowOf(host.form, form, L"EditControl1");
  ASSERT_TRUE(driver::WaitUntil([&] { return driver::FocusedWindow(host.form) == edit; }, kStepMs));
  auto linesNow = [&] { return LinesOf(ReadJournal(host.journal), L"EditControl1"); };
  driver::PressKey(host.form, VK_DOWN);
  EXPECT_TRUE(driver::WaitUntil([&] { return Contains(linesNow(), L"key 40"); }, kStepMs)) << JoinLines(linesNow());
  EXPECT_EQ(driver::FocusedWindow(host.form), edit) << "Down stays with the control";

  SendMessageW(host.form, WM_ACTIVATE, WA_INACTIVE, 0);
  SendMessageW(host.form, WM_ACTIVATE, WA_ACTIVE, 0);
  driver::PressKey(host.form, VK_TAB);
  HWND done = WindowOf(host.form, form, L"Command1");
  EXPECT_TRUE(driver::WaitUntil([&] { return driver::FocusedWindow(host.form) == done; }, kStepMs));
  driver::WaitUntil([&] { return Contains(linesNow(), L"uideactivate"); }, kStepMs);
  const auto lines = linesNow();
  auto at = [&](const wchar_t* line) { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
  EXPECT_LT(at(L"uiactivate"), at(L"key 40")) << JoinLines(lines);
  EXPECT_LT(at(L"key 40"), at(L"frame inactive")) << JoinLines(lines);
  EXPECT_LT(at(L"frame inactive"), at(L"frame active")) << JoinLines(lines);
  EXPECT_LT(at(L"frame active"), at(L"key 9")) << "Tab is offered to the hook first:\n" << JoinLines(lines);
  EXPECT_LT(at(L"key 9"), at(L"uideactivate")) << JoinLines(lines);
  EXPECT_LT(at(L"uideactivate"), static_cast<std::ptrdiff_t>(lines.size())) << JoinLines(lines);
  driver::PressKey(host.form, VK_SPACE);
  EXPECT_TRUE(host.program.WaitForExit(kEndMs));
}

// A control that names its active object to the frame before it reports its UI activation keeps
// its accelerator hook when the control before it leaves (and clears the frame's active object).
TEST(KeyHookControl, AControlNamingItsActiveObjectEarlyKeepsItsHook) {
  auto host = StartHost(L"probe_threed32", L"THREED32.OCX", L"Threed.SSOption:keyhook;Threed.SSOption:earlyactive");
  ASSERT_TRUE(host.form);
  HWND option = WindowOf(host.form, FormOf(L"probe_threed32"), L"Option_threed32", 0);
  ASSERT_TRUE(option);
  for (int tab = 0; tab < 3; ++tab) driver::PressKey(host.form, VK_TAB);  // done, check, frame, option 0
  ASSERT_TRUE(driver::WaitUntil([&] { return driver::FocusedWindow(host.form) == option; }, kStepMs));
  driver::PressKey(host.form, VK_DOWN);
  auto lines = [&] { return LinesOf(ReadJournal(host.journal), L"Option_threed32(0)"); };
  EXPECT_TRUE(driver::WaitUntil([&] { return Contains(lines(), L"key 40"); }, kStepMs)) << JoinLines(lines());
  driver::CloseWithCloseBox(host.form);
  EXPECT_TRUE(host.program.WaitForExit(kEndMs));
}

// Closing as a form does: out of activation first, then closed once, also when a second close
// arrives while the control handles messages inside its own close.
TEST(ProtocolOrder, AControlIsDeactivatedBeforeItClosesAndClosedOnceWhenASecondCloseArrives) {
  auto host = StartHost(L"probe_graph32", L"GRAPH32.OCX", L"GraphLib.Graph:pumpsonclose");
  ASSERT_TRUE(host.form);
  driver::CloseWithCloseBox(host.form);
  auto lines = [&] { return LinesOf(ReadJournal(host.journal), L"graph32"); };
  ASSERT_TRUE(driver::WaitUntil([&] { return Contains(lines(), L"close 1"); }, kStepMs)) << JoinLines(lines());
  driver::CloseWithCloseBox(host.form);
  DWORD exitCode = 1234;
  EXPECT_TRUE(host.program.WaitForExit(kEndMs, &exitCode));
  EXPECT_EQ(exitCode, 0u);
  const auto journal = lines();
  EXPECT_EQ(std::count(journal.begin(), journal.end(), L"close 1"), 1) << JoinLines(journal);
  const auto at = [&](const wchar_t* line) { return std::find(journal.begin(), journal.end(), line) - journal.begin(); };
  EXPECT_LT(at(L"deactivate"), at(L"close 1")) << JoinLines(journal);
}

// The status bar is created after the progress bar it covers: it lies above it, and a click
// there reaches the status bar even when both clip their siblings.
TEST(OverlappingControls, TheLaterControlLiesAboveTheEarlierOne) {
  auto host = StartHost(L"probe_mscomctl", L"MSCOMCTL.OCX",
                        L"MSComctlLib.ProgressBar:clipsiblings;MSComctlLib.StatusBar:clipsiblings");
  ASSERT_TRUE(host.form);
  const auto items = driver::ListItems(host.form);
  const driver::Item* progress = StandinWindow(items, L"MSComctlLib.ProgressBar");
  const driver::Item* status = StandinWindow(items, L"MSComctlLib.StatusBar");
  ASSERT_TRUE(progress && status);
  EXPECT_TRUE(progress->style & WS_CLIPSIBLINGS);
  POINT centre{(progress->rect.left + progress->rect.right) / 2, (progress->rect.top + progress->rect.bottom) / 2};
  EXPECT_EQ(ChildWindowFromPointEx(host.form, centre, CWP_SKIPINVISIBLE), status->window)
      << "hit at " << centre.x << "," << centre.y;
  driver::CloseWithCloseBox(host.form);
  EXPECT_TRUE(host.program.WaitForExit(kEndMs));
}

// Controls written for a full container: each opens cleanly and gets what it asks for.
TEST(FullContainerControls, GetTheServicesTheyAskFor) {
  struct Case {
    const wchar_t* program;
    const wchar_t* file;
    const wchar_t* habit;
    const wchar_t* instance;
    std::vector<std::wstring> expected;  // journal lines of the instance, in this order
  };
  const Case cases[] = {
      {L"probe_threed32", L"THREED32.OCX", L"Threed.SSOption:needsite", L"Option_threed32(1)",
       {L"container 2",
        L"extender Name=Option_threed32 Index=1 Left=300 Top=540 Width=2505 Height=345 Visible=True Enabled=True "
        L"TabIndex=4 TabStop=True Tag= Parent=(Form1) Container=(Frame_threed32) Object=object Caption=?",
        L"activate"}},
      {L"probe_graph32", L"GRAPH32.OCX", L"GraphLib.Graph:sitex", L"graph32",
       {L"windowless refused", L"extended site", L"activate"}},
      {L"probe_graph32", L"GRAPH32.OCX", L"GraphLib.Graph:storageonly", L"graph32",
       {L"initnew-storage", L"activate"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(driver::Narrow(c.habit));
    auto host = StartHost(c.program, c.file, c.habit);
    ASSERT_TRUE(host.form);
    ExpectNoMessageBox(host.program);
    const auto lines = LinesOf(ReadJournal(host.journal), c.instance);
    std::vector<std::wstring> expected = c.expected;
    // The form as its controls read it while loading: its sizes in twips, from its window as it is.
    if (c.instance == std::wstring(L"Option_threed32(1)")) {
      const SIZE client = driver::ClientSize(host.form);
      RECT frame{};
      GetWindowRect(host.form, &frame);
      const auto twips = [](int pixels, int dpi) { return std::to_wstring(PixelsToTwips(pixels, dpi)); };
      expected.insert(expected.begin() + 2,
                      L"parent hWnd=window ScaleMode=1 ScaleWidth=" + twips(client.cx, ScreenDpiX()) +
                          L" ScaleHeight=" + twips(client.cy, ScreenDpiY()) +
                          L" Width=" + twips(frame.right - frame.left, ScreenDpiX()) +
                          L" Height=" + twips(frame.bottom - frame.top, ScreenDpiY()) +
                          L" BackColor=-2147483633 Font=font Controls.Count=2 Controls(0)=(Frame_threed32)");
    }
    std::size_t next = 0;
    for (const std::wstring& line : lines) {
      if (next < expected.size() && line == expected[next]) ++next;
    }
    EXPECT_EQ(next, expected.size()) << "missing " << driver::Narrow(next < expected.size() ? expected[next] : L"")
                                     << " in:\n" << JoinLines(lines);
    driver::CloseWithCloseBox(host.form);
    EXPECT_TRUE(host.program.WaitForExit(kEndMs));
  }
}

// A control that answers its new place by asking for another is placed once, not again and again.
TEST(FullContainerControls, APlaceRequestDuringPlacingIsNotFollowedAgain) {
  auto host = StartHost(L"probe_mscomctl", L"MSCOMCTL.OCX", L"MSComctlLib.StatusBar:posrect");
  ASSERT_TRUE(host.form);
  const auto lines = LinesOf(ReadJournal(host.journal), L"Status_mscomctl");
  const auto placed = std::count_if(lines.begin(), lines.end(),
                                    [](const std::wstring& line) { return line.rfind(L"inplace ", 0) == 0; });
  EXPECT_GE(placed, 2) << "activated, then laid along its edge:\n" << JoinLines(lines);
  EXPECT_FALSE(Contains(lines, L"placed while asking")) << JoinLines(lines);
  driver::CloseWithCloseBox(host.form);
  EXPECT_TRUE(host.program.WaitForExit(kEndMs));
}

}  // namespace
