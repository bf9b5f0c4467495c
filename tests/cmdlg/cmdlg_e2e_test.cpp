// End-to-end tests of probe_cmdlg under wine64 with the stand-in COMDLG32.OCX: its window, every
// test button's dialog (and the font button's refusal), cancels and failures that end quietly,
// done, and a machine without the control.
#include "common/ansi_text.h"
#include "tests/cmdlg/cmdlg_support.h"
#include "tests/e2e/e2e_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <commdlg.h>
#include <dlgs.h>

namespace kit::cmdlg_test {
namespace {

using driver::Narrow;

struct Button {
  const wchar_t* caption;
  int left, top, width, height;  // twips
};
// In tab order.
constexpr Button kButtons[] = {
    {L"done", 1950, 2760, 1065, 315},          {L"test colour", 120, 120, 1305, 375},
    {L"test file open", 150, 1320, 1305, 375}, {L"test file save", 150, 1920, 1305, 375},
    {L"test font", 1680, 120, 1305, 375},      {L"test printer", 1680, 720, 1305, 375},
    {L"test dll file open", 1680, 1320, 1305, 375}, {L"test file save", 1680, 1920, 1305, 375},
};

// The control's buttons that open a dialog: caption, column, and the member the stand-in
// journals. ("test font" opens none: see its own test.)
struct ControlButton {
  const wchar_t* caption;
  int left;
  const wchar_t* member;
};
constexpr ControlButton kControlButtons[] = {
    {L"test colour", 120, L"ShowColor"}, {L"test file open", 150, L"ShowOpen"}, {L"test file save", 150, L"ShowSave"},
    {L"test printer", 1680, L"ShowPrinter"},
};

// How long a clicked button's dialog gets to appear. The first file dialog of a process loads the
// shell's libraries: 3 to 7 s under 32-bit Wine on the emulated CPU, over 15 s when the host is
// busy besides.
constexpr DWORD kDialogStartMs = 60000;

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}
int ChildCount(HWND window) {
  int count = 0;
  EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&count));
  return count;
}

class ProbeCmdlg : public testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_EQ(RegisterStandin(), S_OK); }

  void SetUp() override {
    m_folder = driver::BesideMe(L"cmdlg_current_folder");
    CreateDirectoryW(m_folder.c_str(), nullptr);
    m_journal = NewStandinJournal(FromAnsi(testing::UnitTest::GetInstance()->current_test_info()->name()));
    SetStandinFailure(L"");
  }
  void TearDown() override { SetStandinFailure(L""); }

  // Starts probe_cmdlg in the test folder and waits for Form1.
  void Start() {
    m_program.emplace(driver::Program::Start(driver::BesideMe(L"probe_cmdlg.exe"), std::wstring(), m_folder));
    ASSERT_TRUE(m_program->Started()) << Narrow(m_program->Error());
    m_form = m_program->WaitForWindow(L"Form1");
    ASSERT_NE(m_form, nullptr) << "no Form1; dialogs shown: " << DialogWindows(m_program->Id()).size();
  }

  // The button with this caption in the column at `leftTwips`.
  HWND ButtonOf(const wchar_t* caption, int leftTwips) const {
    for (const driver::Item& item : driver::ListItems(m_form)) {
      if (item.text == caption && item.rect.left == e2e::PixelsX(leftTwips)) return item.window;
    }
    return nullptr;
  }

  // Clicks and returns the dialog that opens, or null.
  HWND ClickForDialog(const wchar_t* caption, int leftTwips) {
    HWND button = ButtonOf(caption, leftTwips);
    EXPECT_NE(button, nullptr) << Narrow(caption);
    if (!button) return nullptr;
    driver::Click(button);
    return WaitForDialog(m_program->Id(), kDialogStartMs);
  }

  std::vector<std::wstring> Journal() const { return ReadLines(m_journal); }

  std::wstring m_folder;
  std::wstring m_journal;
  std::optional<driver::Program> m_program;
  HWND m_form = nullptr;
};

TEST_F(ProbeCmdlg, WindowHoldsTheEightButtonsInTwoColumnsAndDoneHasTheFocus) {
  Start();
  const SIZE client = driver::ClientSize(m_form);
  EXPECT_EQ(client.cx, e2e::PixelsX(3230));
  EXPECT_EQ(client.cy, e2e::PixelsY(3200));
  const std::vector<driver::Item> items = driver::ListItems(m_form);
  ASSERT_EQ(items.size(), std::size(kButtons)) << Narrow(driver::Describe(items));
  // Items are stacked in creation order: each button is looked up by its caption and place.
  std::vector<const driver::Item*> byTab;
  for (std::size_t i = 0; i < std::size(kButtons); ++i) {
    const Button& b = kButtons[i];
    SCOPED_TRACE(Narrow(b.caption) + " at tab place " + std::to_string(i));
    const auto found = std::find_if(items.begin(), items.end(), [&](const driver::Item& item) {
      return item.text == b.caption && item.rect.left == e2e::PixelsX(b.left) && item.rect.top == e2e::PixelsY(b.top);
    });
    ASSERT_NE(found, items.end()) << Narrow(driver::Describe(items));
    const driver::Item& item = *found;
    EXPECT_EQ(item.rect.right - item.rect.left, e2e::PixelsX(b.width));
    EXPECT_EQ(item.rect.bottom - item.rect.top, e2e::PixelsY(b.height));
    EXPECT_TRUE(item.visible && item.enabled && item.tabStop);
    byTab.push_back(&item);
  }
  EXPECT_TRUE(byTab[0]->focused) << Narrow(driver::Describe(items));
  // Two buttons say "test file save": two windows in two columns.
  EXPECT_NE(byTab[3]->window, byTab[7]->window);
  // The control is there, invisible: created from its saved extent and never activated.
  const std::vector<std::wstring> journal = Journal();
  EXPECT_EQ(CountOf(journal, L"CMD prop _ExtentX 847"), 1) << Joined(journal);
  EXPECT_EQ(CountOf(journal, L"CMD prop _ExtentY 847"), 1) << Joined(journal);
  EXPECT_EQ(CountOf(journal, L"CMD extent 847 847"), 1) << Joined(journal);
}

TEST_F(ProbeCmdlg, EachControlButtonOpensItsDialogTwiceAndACancelReturnsWithoutAMessage) {
  Start();
  for (const ControlButton& b : kControlButtons) {
    const std::wstring member = b.member;
    SCOPED_TRACE(Narrow(member));
    for (int click = 1; click <= 2; ++click) {
      HWND dialog = ClickForDialog(b.caption, b.left);
      ASSERT_NE(dialog, nullptr) << "click " << click << "; journal:\n" << Joined(Journal());
      // The platform's dialog, not a message of the probe's own (those carry the program's name).
      // Under Wine without a printer the platform's print dialog is its own notice, titled
      // "Print", that a printer must be installed first; every other dialog has many controls.
      EXPECT_NE(driver::WindowText(dialog), L"probe_cmdlg");
      if (member != L"ShowPrinter") {
        EXPECT_GE(ChildCount(dialog), 6) << Narrow(driver::WindowText(dialog));
      }
      // The common dialog is modal to Form1.
      EXPECT_FALSE(IsWindowEnabled(m_form));
      CancelDialog(dialog);
      // The click has ended once the control journals the cancel and the form answers again. The
      // dialog's going proves nothing: the Show returns a while after its window went (under an
      // emulated CPU, seconds), and Wine shows a print dialog that ended in its own start (its
      // notice answered) once more before destroying it.
      ASSERT_TRUE(driver::WaitUntil([&] { return CountOf(Journal(), L"CMD " + member + L" cancelled") >= click; }))
          << "click " << click << "; journal:\n" << Joined(Journal());
      EXPECT_TRUE(driver::WaitIdle(m_form));
      EXPECT_TRUE(NoDialogFor(m_program->Id())) << "a dialog or message box stayed after the cancel";
      EXPECT_TRUE(driver::WaitUntil([&] { return IsWindowEnabled(m_form) != FALSE; }));
      const std::vector<std::wstring> journal = Journal();
      EXPECT_EQ(CountOf(journal, L"CMD " + member), click) << Joined(journal);
      EXPECT_EQ(CountOf(journal, L"CMD " + member + L" cancelled"), click) << Joined(journal);
    }
  }
  // CancelError was put before every Show, and the program still runs.
  EXPECT_EQ(CountOf(Journal(), L"CMD put CancelError true"), 8) << Joined(Journal());
  EXPECT_TRUE(m_program->Running());
}

TEST_F(ProbeCmdlg, DirectDialogsAreTitledTestDllInTheCurrentFolderWithNoProposedName) {
  Start();
  for (const auto& [caption, left] : {std::pair{L"test dll file open", 1680}, std::pair{L"test file save", 1680}}) {
    SCOPED_TRACE(Narrow(caption));
    for (int click = 1; click <= 2; ++click) {
      HWND dialog = ClickForDialog(caption, left);
      ASSERT_NE(dialog, nullptr) << "click " << click;
      EXPECT_EQ(driver::WindowText(dialog), L"test dll");
      EXPECT_EQ(_wcsicmp(FolderOfDialog(dialog, true).c_str(), m_folder.c_str()), 0)
          << Narrow(FolderOfDialog(dialog, true)) << " is not " << Narrow(m_folder);
      HWND nameBox = GetDlgItem(dialog, cmb13);
      ASSERT_NE(nameBox, nullptr);
      EXPECT_EQ(driver::WindowText(nameBox), L"");
      CancelDialog(dialog);
      EXPECT_TRUE(NoDialogFor(m_program->Id())) << "a dialog or message box stayed after the cancel";
    }
  }
  // The control saw none of it.
  EXPECT_EQ(CountOf(Journal(), L"CMD put CancelError true"), 0) << Joined(Journal());
}

TEST_F(ProbeCmdlg, ChoosingAFileInTheDirectDialogsReturnsToTheWindowQuietly) {
  Start();
  HWND open = ClickForDialog(L"test dll file open", 1680);
  ASSERT_NE(open, nullptr);
  ChooseFile(open, L"chosen.txt");
  EXPECT_TRUE(NoDialogFor(m_program->Id()));
  HWND save = ClickForDialog(L"test file save", 1680);
  ASSERT_NE(save, nullptr);
  ChooseFile(save, L"saved.txt");
  EXPECT_TRUE(NoDialogFor(m_program->Id()));
  EXPECT_TRUE(driver::WaitUntil([&] { return IsWindowEnabled(m_form) != FALSE; }));
  // The probe reads nothing of the choice and writes no file.
  EXPECT_EQ(GetFileAttributesW((m_folder + L"\\saved.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ProbeCmdlg, AShowThatFailsEndsTheClickQuietlyAndTheNextClickWorks) {
  SetStandinFailure(L"ShowColor");
  Start();
  for (int click = 1; click <= 2; ++click) {
    driver::Click(ButtonOf(L"test colour", 120));
    ASSERT_TRUE(driver::WaitUntil([&] { return CountOf(Journal(), L"CMD ShowColor fails") == click; }))
        << Joined(Journal());
    EXPECT_TRUE(NoDialogFor(m_program->Id())) << "a dialog or message box after the failing Show";
  }
  HWND dialog = ClickForDialog(L"test file open", 150);
  ASSERT_NE(dialog, nullptr) << Joined(Journal());
  CancelDialog(dialog);
  EXPECT_TRUE(NoDialogFor(m_program->Id()));
  EXPECT_TRUE(m_program->Running());
}

// As the real control does with no font flags set, ShowFont raises "No fonts exist" instead of
// opening the font dialog: "test font" shows nothing and says nothing, on every machine.
TEST_F(ProbeCmdlg, TestFontShowsNothingBecauseTheControlHasNoFontFlags) {
  Start();
  for (int click = 1; click <= 2; ++click) {
    driver::Click(ButtonOf(L"test font", 1680));
    ASSERT_TRUE(driver::WaitUntil([&] { return CountOf(Journal(), L"CMD ShowFont no fonts") == click; }))
        << Joined(Journal());
    EXPECT_TRUE(NoDialogFor(m_program->Id())) << "a dialog or message box after test font";
  }
  EXPECT_EQ(CountOf(Journal(), L"CMD put CancelError true"), 2) << Joined(Journal());
  EXPECT_TRUE(m_program->Running());
}

TEST_F(ProbeCmdlg, ACancelErrorThatCannotBeSetEndsTheClickBeforeAnyDialog) {
  SetStandinFailure(L"CancelError");
  Start();
  driver::Click(ButtonOf(L"test font", 1680));
  ASSERT_TRUE(driver::WaitUntil([&] { return CountOf(Journal(), L"CMD put CancelError fails") == 1; }))
      << Joined(Journal());
  EXPECT_TRUE(NoDialogFor(m_program->Id()));
  EXPECT_EQ(CountOf(Journal(), L"CMD ShowFont"), 0) << Joined(Journal());
}

TEST_F(ProbeCmdlg, DoneEndsTheProgram) {
  Start();
  driver::Click(ButtonOf(L"done", 1950));
  DWORD exitCode = 1234;
  EXPECT_TRUE(m_program->WaitForExit(driver::DefaultWaitMs(), &exitCode));
}

TEST(ProbeCmdlgWithoutControl, TheWindowIsNeverBuiltAndTheMessageNamesTheFile) {
  ASSERT_EQ(UnregisterStandin(), S_OK);
  driver::Program program = driver::Program::Start(driver::BesideMe(L"probe_cmdlg.exe"));
  ASSERT_TRUE(program.Started()) << Narrow(program.Error());
  const auto box = driver::WaitForMessageBox(program.Id());
  EXPECT_EQ(RegisterStandin(), S_OK);  // for whatever runs next
  ASSERT_TRUE(box.has_value()) << "no message box";
  EXPECT_NE(box->text.find(L"COMDLG32.OCX"), std::wstring::npos) << Narrow(box->text);
  for (HWND window : driver::TopLevelWindows(program.Id(), false)) {
    EXPECT_NE(driver::WindowText(window), L"Form1") << "Form1 exists";
  }
  EXPECT_TRUE(driver::PressOk(*box));
  EXPECT_TRUE(program.WaitForExit());
}

}  // namespace
}  // namespace kit::cmdlg_test
