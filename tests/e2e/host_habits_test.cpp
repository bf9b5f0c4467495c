// The control hosts against controls written for a full form container, one table per kind of
// habit: what each control journals of its form's answers (in order), and what a person sees: the
// sibling a control moved, the control a mnemonic reaches, the report of a control that cannot be
// created.
#include "tests/e2e/host_support.h"

#include <vector>

namespace {
using namespace kit;
using namespace kit::e2e;
using kit::shell::FormDescription;

const DWORD kEndMs = driver::Scaled(10000);
const DWORD kStepMs = driver::Scaled(3000);

// What the sibling-moving control adds to its sibling's left, top and width, in twips.
constexpr std::int32_t kSiblingShiftTwips = 150;

enum class Action {
  None,
  AltT,          // Alt+T pressed on the form; `subject` (a record) then has the focus
  SiblingMoved,  // `subject` (a record) lies moved and widened by kSiblingShiftTwips, visible
  Shown,         // `subject` (a record) shows at its place
  Report,        // the form is not built: its report holds `subject`, OK ends the program
};

struct Expected {
  const wchar_t* instance;
  std::vector<std::wstring> lines;  // in this order, other lines between them
};

struct Case {
  const wchar_t* program;
  const wchar_t* file;
  const wchar_t* habits;
  std::vector<Expected> expected;
  Action action = Action::None;
  const wchar_t* subject = nullptr;
};

std::size_t RecordOf(FormDescription form, std::wstring_view name) {
  for (std::size_t i = 1; i < form.size(); ++i) {
    if (form[i].name == name) return i;
  }
  return 0;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

// Alt+T as the keyboard gives it to the window with the focus: a system key with the context bit.
void PressAltT(HWND form) {
  HWND target = driver::FocusedWindow(form);
  if (!target) target = form;
  constexpr LPARAM kAltDown = LPARAM{1} << 29;
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW('T', 0)) << 16;
  PostMessageW(target, WM_SYSKEYDOWN, 'T', 1 | scan | kAltDown);
  PostMessageW(target, WM_SYSKEYUP, 'T', 1 | scan | kAltDown | (LPARAM{1} << 30) | (LPARAM{1} << 31));
}

// Whether each instance's lines hold the expected ones in order; the lines found, when not.
std::string MissingLines(const std::wstring& journalPath, const std::vector<Expected>& expected) {
  const auto journal = ReadJournal(journalPath);
  std::string missing;
  for (const Expected& e : expected) {
    const auto lines = LinesOf(journal, e.instance);
    std::size_t next = 0;
    for (const std::wstring& line : lines) {
      if (next < e.lines.size() && line == e.lines[next]) ++next;
    }
    if (next < e.lines.size()) {
      missing += driver::Narrow(e.instance) + ": missing \"" + driver::Narrow(e.lines[next]) + "\" in:\n" +
                 JoinLines(lines);
    }
  }
  return missing;
}

void Act(const Case& c, Host& host) {
  const FormDescription form = FormOf(c.program);
  const std::size_t record = c.subject ? RecordOf(form, c.subject) : 0;
  switch (c.action) {
    case Action::None:
    case Action::Report: return;
    case Action::AltT: {
      HWND wanted = WindowOf(host.form, form, c.subject);
      ASSERT_TRUE(wanted);
      driver::WaitIdle(host.form);
      ASSERT_NE(driver::FocusedWindow(host.form), wanted) << "the control has the focus before the key";
      PressAltT(host.form);
      EXPECT_TRUE(driver::WaitUntil([&] { return driver::FocusedWindow(host.form) == wanted; }, kStepMs))
          << "Alt+T left the focus elsewhere";
      return;
    }
    case Action::SiblingMoved: {
      ASSERT_NE(record, 0u);
      std::vector<shell::ItemRecord> moved(form.begin(), form.end());
      moved[record].left += kSiblingShiftTwips;
      moved[record].top += kSiblingShiftTwips;
      moved[record].width += kSiblingShiftTwips;
      const RECT want = ExpectedRect(moved, record, driver::ClientSize(host.form));
      const auto items = driver::ListItems(host.form);
      const driver::Item* sibling = StandinWindow(items, form[record].control.progId);
      ASSERT_TRUE(sibling);
      EXPECT_TRUE(EqualRect(&sibling->rect, &want)) << "at " << RectText(sibling->rect) << ", expected "
                                                    << RectText(want);
      EXPECT_TRUE(sibling->visible) << "hidden, then shown again";
      return;
    }
    case Action::Shown: {
      HWND window = WindowOf(host.form, form, c.subject);
      ASSERT_TRUE(window) << "nothing at its place";
      EXPECT_TRUE(IsWindowVisible(window));
      return;
    }
  }
}

void RunCase(const Case& c) {
  SCOPED_TRACE(driver::Narrow(c.habits));
  if (c.action == Action::Report) {
    ASSERT_EQ(RegisterStandin(c.file), S_OK);
    const std::wstring journal = NewControlJournal(c.program);
    SetControlFailure(c.habits);
    auto program = driver::Program::Start(driver::BesideMe(std::wstring(c.program) + L".exe"));
    SetControlFailure(L"");
    ASSERT_TRUE(program.Started());
    auto box = driver::WaitForMessageBox(program.Id());
    ASSERT_TRUE(box) << "no failure report";
    EXPECT_NE(box->text.find(c.subject), std::wstring::npos) << driver::Narrow(box->text);
    ASSERT_TRUE(driver::PressOk(*box));
    EXPECT_TRUE(program.WaitForExit(kEndMs));
    EXPECT_EQ(MissingLines(journal, c.expected), "");
    return;
  }
  auto host = StartHost(c.program, c.file, c.habits);
  ASSERT_TRUE(host.form);
  ExpectNoMessageBox(host.program);
  Act(c, host);
  driver::CloseWithCloseBox(host.form);
  EXPECT_TRUE(host.program.WaitForExit(kEndMs));
  EXPECT_EQ(MissingLines(host.journal, c.expected), "");
}

// Through its extender a control reads its form's controls by index and by For Each, moves a
// sibling, converts coordinates into the form's twips and finds one object for each extender and
// container.
TEST(FormHabits, ControlsReadAndChangeTheirFormThroughItsExtenders) {
  const Case cases[] = {
      {L"probe_threed32", L"THREED32.OCX", L"Threed.SSCheck:walkcontrols",
       {{L"Check_threed32",
         {L"controls by index: Frame_threed32 Option_threed32 Option_threed32 Check_threed32",
          L"controls by each: Frame_threed32 Option_threed32 Option_threed32 Check_threed32"}}}},
      {L"probe_mscomctl", L"MSCOMCTL.OCX", L"MSComctlLib.Toolbar:walkcontrols",
       {{L"tlb_mscomctl",
         {L"controls by index: sld_mscomctl Tree_mscomctl prg_mscomctl Status_mscomctl tlb_mscomctl",
          L"controls by each: sld_mscomctl Tree_mscomctl prg_mscomctl Status_mscomctl tlb_mscomctl"}}}},
      {L"probe_mscomct2", L"MSCOMCT2.OCX", L"MSComCtl2.UpDown:movesibling",
       {{L"UpDown1",
         {L"sibling DTPicker1 put Left=330 Top=3000 Visible=False Visible=True Width=2175",
          L"sibling DTPicker1 read Left=330 Top=3000 Width=2175 Visible=False,True"}}},
       Action::SiblingMoved, L"DTPicker1"},
      // Twips whatever the screen's resolution: 2540 HIMETRIC are an inch, 1440 twips.
      {L"probe_mscomctl", L"MSCOMCTL.OCX", L"MSComctlLib.Slider:transform",
       {{L"sld_mscomctl",
         {L"transform position 2540 1270 to 1440 720 back 2540 1270",
          L"transform size 2540 1270 to 1440 720 back 2540 1270"}}}},
      {L"probe_threed32", L"THREED32.OCX", L"Threed.SSOption:samecontainer;Threed.SSCheck:samecontainer",
       {{L"Option_threed32(0)",
         {L"extender same", L"container Frame_threed32 same", L"frame Frame_threed32 same"}},
        {L"Check_threed32", {L"extender same", L"container Form1 same"}}}},
  };
  for (const Case& c : cases) RunCase(c);
}

// A control with events is advised before it raises one and unadvised before it is closed, its
// source found through IProvideClassInfo2 or through its class info alone; a control that refuses
// the sink is not hosted without its events.
TEST(EventHabits, SinksAreAdvisedBeforeTheFirstEventAndUnadvisedBeforeClose) {
  const Case cases[] = {
      {L"probe_graph32", L"GRAPH32.OCX", L"GraphLib.Graph:event",
       {{L"graph32", {L"advised", L"activate", L"event heard", L"unadvised", L"close 1"}}}},
      {L"probe_mscomct2", L"MSCOMCT2.OCX", L"MSComCtl2.MonthView:classinfoonly",
       {{L"MonthView1", {L"advised", L"activate", L"event heard", L"unadvised", L"close 1"}}}},
      {L"probe_graph32", L"GRAPH32.OCX", L"GraphLib.Graph:noadvise",
       {{L"graph32", {L"advise refused"}}},
       Action::Report,
       L"GRAPH32.OCX\r\n\r\nThe control GraphLib.Graph (graph32) could not be created: it refused the connection for "
       L"its events.\r\n"},
  };
  for (const Case& c : cases) RunCase(c);
}

// Creation as each control wants it: properties before the site when it does not ask for the site
// first, a refused site reported, a control that knows only Show shown.
TEST(CreationHabits, EachControlIsCreatedAndShownAsItAsks) {
  const Case cases[] = {
      {L"probe_threed32", L"THREED32.OCX", L"Threed.SSCheck:propsfirst",
       {{L"Threed.SSCheck", {L"load-bag"}}, {L"Check_threed32", {L"site after its properties", L"activate"}}}},
      {L"probe_graph32", L"GRAPH32.OCX", L"GraphLib.Graph:refusesite",
       {{L"GraphLib.Graph", {L"site refused"}}},
       Action::Report,
       L"GRAPH32.OCX\r\n\r\nThe control GraphLib.Graph (graph32) could not be created: it refused its client "
       L"site.\r\n"},
      {L"probe_mscomct2", L"MSCOMCT2.OCX", L"MSComCtl2.MonthView:showonly",
       {{L"MonthView1", {L"verb -5 invalid", L"activate"}}},
       Action::Shown, L"MonthView1"},
  };
  for (const Case& c : cases) RunCase(c);
}

// A mnemonic a control announces once active (its caption "&Test") reaches it from the form,
// and the focus with it.
TEST(MnemonicHabit, AltAndTheControlsKeyReachItAndGiveItTheFocus) {
  RunCase({L"probe_threed32", L"THREED32.OCX", L"Threed.SSCheck:mnemonic",
           {{L"Check_threed32", {L"caption &Test", L"mnemonic 84"}}},
           Action::AltT, L"Check_threed32"});
}

}  // namespace
