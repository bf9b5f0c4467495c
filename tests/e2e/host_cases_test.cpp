// Control hosts in their particular cases: aligned controls, a container, an invisible control,
// the close box, the 27 saved values of the graph, the tab order through controls, and controls
// that fail half-way or misbehave.
#include "tests/e2e/host_support.h"

namespace {
using namespace kit;
using namespace kit::e2e;

const DWORD kEndMs = driver::Scaled(10000);

const driver::Item* Control(const std::vector<driver::Item>& items, std::wstring_view progId) {
  return StandinWindow(items, progId);
}

RECT RectOf(HWND form, std::wstring_view progId) {
  const auto items = driver::ListItems(form);
  const auto* item = Control(items, progId);
  return item ? item->rect : RECT{-1, -1, -1, -1};
}

TEST(MscomctlHost, ToolbarAndStatusBarKeepToTheirEdgesAndNothingElseMoves) {
  auto host = StartHost(L"probe_mscomctl", L"MSCOMCTL.OCX");
  ASSERT_TRUE(host.form);
  const RECT slider = RectOf(host.form, L"MSComctlLib.Slider");
  const RECT tree = RectOf(host.form, L"MSComctlLib.TreeView");
  const RECT progress = RectOf(host.form, L"MSComctlLib.ProgressBar");
  const RECT status = RectOf(host.form, L"MSComctlLib.StatusBar");
  const RECT toolbar = RectOf(host.form, L"MSComctlLib.Toolbar");
  RECT outer{};
  GetWindowRect(host.form, &outer);
  for (SIZE grow : {SIZE{160, 0}, SIZE{160, 120}}) {
    driver::Resize(host.form, outer.right - outer.left + grow.cx, outer.bottom - outer.top + grow.cy);
    const SIZE client = driver::ClientSize(host.form);
    ASSERT_TRUE(driver::WaitUntil([&] {
      const RECT r = RectOf(host.form, L"MSComctlLib.StatusBar");
      return r.right == client.cx && r.bottom == client.cy;
    }, 3000)) << "status bar did not follow the bottom edge";
    const RECT newStatus = RectOf(host.form, L"MSComctlLib.StatusBar");
    const RECT newToolbar = RectOf(host.form, L"MSComctlLib.Toolbar");
    EXPECT_EQ(newStatus.left, 0);
    EXPECT_EQ(newStatus.bottom - newStatus.top, status.bottom - status.top) << "keeps its height";
    EXPECT_EQ(newToolbar.left, 0);
    EXPECT_EQ(newToolbar.top, 0);
    EXPECT_EQ(newToolbar.right, client.cx);
    EXPECT_EQ(newToolbar.bottom - newToolbar.top, toolbar.bottom - toolbar.top);
    for (auto [name, before] : {std::pair{L"MSComctlLib.Slider", slider}, std::pair{L"MSComctlLib.TreeView", tree},
                                std::pair{L"MSComctlLib.ProgressBar", progress}}) {
      const RECT now = RectOf(host.form, name);
      EXPECT_TRUE(EqualRect(&now, &before)) << driver::Narrow(name) << " moved";
    }
  }
}

TEST(MscomctlHost, TheCloseBoxClosesEveryControlInTheOrderlyWay) {
  auto host = StartHost(L"probe_mscomctl", L"MSCOMCTL.OCX");
  ASSERT_TRUE(host.form);
  driver::CloseWithCloseBox(host.form);
  ASSERT_TRUE(host.program.WaitForExit(kEndMs));
  const auto journal = ReadJournal(host.journal);
  for (const wchar_t* name : {L"sld_mscomctl", L"Tree_mscomctl", L"prg_mscomctl", L"Status_mscomctl",
                              L"tlb_mscomctl"}) {
    const auto lines = LinesOf(journal, name);
    EXPECT_TRUE(Contains(lines, L"close 1") && Contains(lines, L"site null") && Contains(lines, L"release"))
        << driver::Narrow(name) << ":\n" << JoinLines(lines);
  }
}

TEST(Threed32Host, TheOptionsLieInsideTheFrame) {
  auto host = StartHost(L"probe_threed32", L"THREED32.OCX");
  ASSERT_TRUE(host.form);
  HWND frame = nullptr;
  std::vector<HWND> options;
  for (const auto& item : driver::ListItems(host.form)) {
    if (item.text == L"Threed.SSFrame") frame = item.window;
    if (item.text == L"Threed.SSOption") options.push_back(item.window);
  }
  ASSERT_TRUE(frame);
  ASSERT_EQ(options.size(), 2u);
  for (HWND option : options) EXPECT_EQ(GetParent(option), frame) << "an option is not inside the frame";
  // Index 0 at 330, 270 and index 1 at 300, 540 twips from the frame's corner.
  RECT frameRect{}, optionRect{};
  GetWindowRect(frame, &frameRect);
  std::vector<POINT> offsets;
  for (HWND option : options) {
    GetWindowRect(option, &optionRect);
    offsets.push_back({optionRect.left - frameRect.left, optionRect.top - frameRect.top});
  }
  const bool firstIsZero = offsets[0].y < offsets[1].y;
  const POINT zero = offsets[firstIsZero ? 0 : 1], one = offsets[firstIsZero ? 1 : 0];
  EXPECT_EQ(zero.x, PixelsX(330));
  EXPECT_EQ(zero.y, PixelsY(270));
  EXPECT_EQ(one.x, PixelsX(300));
  EXPECT_EQ(one.y, PixelsY(540));
  // Created in the catalogue's order: index 1 before index 0.
  const auto journal = ReadJournal(host.journal);
  std::vector<std::wstring> created;
  for (const auto& line : journal) {
    if (line.find(L" site") != std::wstring::npos && line.find(L"null") == std::wstring::npos) created.push_back(line);
  }
  const std::vector<std::wstring> order{L"Frame_threed32 site", L"Option_threed32(1) site", L"Option_threed32(0) site",
                                        L"Check_threed32 site"};
  EXPECT_EQ(created, order) << JoinLines(journal);
}

TEST(ControlResizerHost, OnlyTheEndButtonIsVisible) {
  auto host = StartHost(L"probe_VELControlResizer", L"VELControlResizer.ocx");
  ASSERT_TRUE(host.form);
  std::vector<driver::Item> visible;
  for (const auto& item : driver::ListItems(host.form)) {
    if (item.visible) visible.push_back(item);
  }
  ASSERT_EQ(visible.size(), 1u) << driver::Narrow(driver::Describe(visible));
  EXPECT_EQ(visible[0].text, L"done");
  EXPECT_TRUE(visible[0].focused);
  const auto lines = LinesOf(ReadJournal(host.journal), L"ControlResizer1");
  EXPECT_TRUE(Contains(lines, L"extent 282 282")) << JoinLines(lines);
}

TEST(GraphControlHost, TheGraphGetsExactlyItsTwentySevenValuesInOrder) {
  auto host = StartHost(L"probe_VELGraphControl", L"VELGraphControl.ocx");
  ASSERT_TRUE(host.form);
  std::vector<std::wstring> props;
  for (const auto& line : LinesOf(ReadJournal(host.journal), L"GraphControl1")) {
    if (line.rfind(L"prop ", 0) == 0) props.push_back(line);
  }
  ASSERT_EQ(props.size(), 28u) << JoinLines(props);  // 27 values and the one never saved
  EXPECT_EQ(props[0], L"prop _extentx i4 5786");
  EXPECT_EQ(props[1], L"prop _extenty i4 2875");
  EXPECT_EQ(props[2], L"prop backcolor i4 16777215");
  EXPECT_EQ(props[3], L"prop font font MS Sans Serif|8|400|0|0|0|0");
  EXPECT_EQ(props[4], L"prop titlefont font MS Sans Serif|8|400|0|0|0|0");
  EXPECT_EQ(props[5], L"prop yaxismin r4 -99999");
  EXPECT_EQ(props[9], L"prop datanull r4 -999");
  EXPECT_EQ(props[10], L"prop markersize i4 35");
  EXPECT_EQ(props[11], L"prop xbaselog r4 10");
  EXPECT_EQ(props[13], L"prop setmargins bool false");
  EXPECT_EQ(props[18], L"prop dozoom bool false");
  EXPECT_EQ(props[19], L"prop zoomxsplit i4 -1");
  EXPECT_EQ(props[21], L"prop zoomxsplitright i4 65280");
  EXPECT_EQ(props[26], L"prop zoomytype i4 1");
  EXPECT_EQ(props[27], L"prop kitnotsaved absent");
}

TEST(EditControlHost, TheControlHoldsTheFocusAndDoneClosesIt) {
  auto host = StartHost(L"probe_VELEditControl", L"VELEditControl.ocx");
  ASSERT_TRUE(host.form);
  HWND focus = driver::FocusedWindow(host.form);
  EXPECT_EQ(focus ? driver::WindowText(focus) : L"", L"VELEditControl.EditControl");
  driver::PressKey(host.form, VK_TAB);
  EXPECT_TRUE(driver::WaitUntil([&] { return driver::WindowText(driver::FocusedWindow(host.form)) == L"Done"; }, 3000));
  driver::PressKey(host.form, VK_SPACE);
  ASSERT_TRUE(host.program.WaitForExit(kEndMs));
  const auto lines = LinesOf(ReadJournal(host.journal), L"EditControl1");
  EXPECT_TRUE(Contains(lines, L"release")) << JoinLines(lines);
}

// Controls that fail half-way: one report naming the file, Form1 never shown, nothing left.
TEST(MisbehavingControl, FailuresHalfWayEndInTheReport) {
  struct Case {
    const wchar_t* stage;
    const wchar_t* diagnosis;
  };
  for (const Case& c : {Case{L"create", L"creating it failed"}, Case{L"load", L"refused its saved properties"},
                        Case{L"activate", L"could not be placed in the window"}}) {
    SCOPED_TRACE(driver::Narrow(c.stage));
    ASSERT_EQ(RegisterStandin(L"GRAPH32.OCX"), S_OK);
    const std::wstring journal = NewControlJournal(std::wstring(L"fail_") + c.stage);
    SetControlFailure(std::wstring(L"GraphLib.Graph:") + c.stage);
    auto program = driver::Program::Start(driver::BesideMe(L"probe_graph32.exe"));
    SetControlFailure(L"");
    ASSERT_TRUE(program.Started());
    auto box = driver::WaitForMessageBox(program.Id());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text.rfind(L"GRAPH32.OCX", 0), 0u) << driver::Narrow(box->text);
    EXPECT_NE(box->text.find(c.diagnosis), std::wstring::npos) << driver::Narrow(box->text);
    for (HWND window : driver::TopLevelWindows(program.Id())) {
      EXPECT_NE(driver::WindowText(window), L"Form1");
    }
    ASSERT_TRUE(driver::PressOk(*box));
    EXPECT_TRUE(program.WaitForExit(kEndMs));
    if (std::wstring(c.stage) != L"create") {
      const auto lines = LinesOf(ReadJournal(journal), L"graph32");
      EXPECT_TRUE(Contains(lines, L"release")) << "a half-built control is released:\n" << JoinLines(lines);
    }
  }
}

TEST(MisbehavingControl, OddControlsStillGiveACleanWindowAndEnd) {
  for (const wchar_t* stage : {L"extent", L"leak", L"noface"}) {
    SCOPED_TRACE(driver::Narrow(stage));
    auto host = StartHost(L"probe_graph32", L"GRAPH32.OCX", std::wstring(L"GraphLib.Graph:") + stage);
    ASSERT_TRUE(host.form);
    ExpectNoMessageBox(host.program);
    EXPECT_TRUE(Control(driver::ListItems(host.form), L"GraphLib.Graph"));
    if (std::wstring(stage) == L"noface") {
      EXPECT_TRUE(Contains(LinesOf(ReadJournal(host.journal), L"graph32"), L"initnew"));
    }
    driver::CloseWithCloseBox(host.form);
    EXPECT_TRUE(host.program.WaitForExit(kEndMs)) << "the program must end even if its control never lets go";
  }
}

}  // namespace
