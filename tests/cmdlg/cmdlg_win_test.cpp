// Windows-side tests under wine64, in-process: the ANSI record the direct wrappers hand comdlg32,
// the wrappers against Wine's real dialogs (a helper thread plays the user), and the probe's form
// reaching the stand-in control through the shell.
#include "common/ansi_text.h"
#include "probes/cmdlg/cmdlg_probe.h"
#include "probes/cmdlg/control_calls.h"
#include "probes/cmdlg/file_dialog_win32.h"
#include "probes/shell/form_window.h"
#include "tests/cmdlg/cmdlg_support.h"

#include <gtest/gtest.h>

#include <dlgs.h>
#include <ole2.h>
#include <wrl/client.h>

#include <functional>
#include <thread>

namespace kit::cmdlg {
namespace {

using cmdlg_test::DialogWindows;
using driver::Narrow;

TEST(AnsiDialogRecord, CarriesThePreviousRecordVersionWithBuffersOfTheirOwn) {
  int owner = 0;
  const FileDialogRecord open = OpenRecord(&owner, GetModuleHandleW(nullptr), L"A|*.a|", L"test dll");
  AnsiDialogRecord copy;
  MakeAnsiCopy(open, copy);
  EXPECT_EQ(copy.ofn.lStructSize, sizeof(void*) == 4 ? 76u : 136u);
  EXPECT_EQ(static_cast<void*>(copy.ofn.hwndOwner), static_cast<void*>(&owner));
  EXPECT_EQ(copy.ofn.hInstance, GetModuleHandleW(nullptr));
  // The six characters of the list, then the end-of-list mark.
  EXPECT_EQ(std::string(copy.ofn.lpstrFilter, 8), std::string("A\0*.a\0\0\0", 8));
  EXPECT_EQ(copy.ofn.nFilterIndex, 1u);
  EXPECT_EQ(copy.ofn.lpstrCustomFilter, nullptr);
  EXPECT_EQ(copy.ofn.nMaxFile, 512u);
  EXPECT_EQ(copy.ofn.nMaxFileTitle, 512u);
  EXPECT_EQ(copy.file, std::string(513, '\0'));
  EXPECT_NE(copy.ofn.lpstrFile, copy.ofn.lpstrFileTitle);
  EXPECT_STREQ(copy.ofn.lpstrInitialDir, ".");
  EXPECT_STREQ(copy.ofn.lpstrTitle, "test dll");
  EXPECT_EQ(copy.ofn.Flags, 0x804u);
  EXPECT_EQ(copy.ofn.lpstrDefExt, nullptr);
  EXPECT_EQ(copy.ofn.lpfnHook, nullptr);
  EXPECT_EQ(copy.ofn.lpTemplateName, nullptr);

  // A name of thousands of characters: the buffer holds its first 513, and a NUL behind them.
  const FileDialogRecord save = SaveRecord(nullptr, nullptr, std::wstring(4000, L'n'), L"txt", L"", L"");
  AnsiDialogRecord saveCopy;
  MakeAnsiCopy(save, saveCopy);
  EXPECT_EQ(saveCopy.file, std::string(513, 'n'));
  EXPECT_EQ(saveCopy.ofn.lpstrFile[513], '\0');
  EXPECT_EQ(saveCopy.fileTitle, std::string(513, 'n'));
  EXPECT_STREQ(saveCopy.ofn.lpstrDefExt, "txt");
  EXPECT_EQ(saveCopy.ofn.Flags, 0x4u);
  EXPECT_EQ(std::string(saveCopy.ofn.lpstrFilter, 3), std::string(3, '\0'));  // an empty list
}

// Plays the user on the first dialog this process shows, from a thread of its own, while the
// test's thread sits in the modal dialog call.
class User {
public:
  explicit User(std::function<void(HWND)> act)
      : m_thread([act = std::move(act)] {
          HWND dialog = cmdlg_test::WaitForDialog(GetCurrentProcessId(), driver::Scaled(10000));
          if (dialog) act(dialog);
        }) {}
  ~User() { m_thread.join(); }

private:
  std::thread m_thread;
};

class DirectDialogs : public testing::Test {
protected:
  void SetUp() override {
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    m_folder = folder;
  }
  std::wstring m_folder;
};

TEST_F(DirectDialogs, AChosenFileComesBackAsItsFullPathAndACancelLeavesTheNameAlone) {
  std::wstring seenFolder;
  std::wstring seenTitle;
  std::wstring fname = L"  entry value ";
  std::int32_t ierr = 77;
  {
    User user([&](HWND dialog) {
      // A plain read: the dialog's thread is this process's own and answers once its start is
      // over, which under an emulated CPU can pass the driver's bound for a hung window.
      wchar_t title[64] = {};
      GetWindowTextW(dialog, title, 64);
      seenTitle = title;
      seenFolder = cmdlg_test::FolderOfDialog(dialog, true);
      cmdlg_test::ChooseFile(dialog, L"chosen.txt");
    });
    open_file_to_read(fname, L"*.*", L"test dll", ierr);
  }
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(_wcsicmp(fname.c_str(), (m_folder + L"\\chosen.txt").c_str()), 0) << Narrow(fname);
  EXPECT_EQ(seenTitle, L"test dll");
  EXPECT_EQ(_wcsicmp(seenFolder.c_str(), m_folder.c_str()), 0) << Narrow(seenFolder);

  fname = L"  entry value ";
  ierr = 77;
  {
    User user([](HWND dialog) { cmdlg_test::CancelDialog(dialog); });
    open_file_to_read(fname, L"*.*", L"test dll", ierr);
  }
  EXPECT_EQ(ierr, -1);
  EXPECT_EQ(fname, L"  entry value ");
}

TEST_F(DirectDialogs, SaveProposesTheTrimmedNameAndAShorterChoiceComesBackAlone) {
  std::wstring proposed;
  std::wstring fname = L"  a rather long proposed name.txt ";
  std::int32_t ierr = 77;
  {
    User user([&](HWND dialog) {
      proposed = driver::WindowText(GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1));
      cmdlg_test::ChooseFile(dialog, L"b.txt");
    });
    open_file_to_write(fname, L"", L"Text|*.txt|All|*.*", L"save it", ierr);
  }
  EXPECT_EQ(proposed, L"a rather long proposed name.txt");
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(_wcsicmp(fname.c_str(), (m_folder + L"\\b.txt").c_str()), 0) << Narrow(fname);
}

TEST_F(DirectDialogs, AnInitialNameOfThousandsOfCharactersIsCutAndTheDialogStillAnswers) {
  const std::wstring longName(5000, L'x');
  std::wstring fname = longName;
  std::int32_t ierr = 77;
  bool shown = false;
  {
    User user([&](HWND dialog) {
      shown = true;
      cmdlg_test::CancelDialog(dialog);
    });
    open_file_to_write(fname, L"txt", L"", std::wstring(3000, L'T'), ierr);
  }
  // Whether the platform shows a dialog for a name that fills its buffer is its own business;
  // the answer is a cancel either way, and the name is the caller's.
  EXPECT_EQ(ierr, -1) << "dialog shown: " << shown;
  EXPECT_EQ(fname, longName);
}

TEST_F(DirectDialogs, ACharacterOutsideTheAnsiCodePageInTheChosenNameIsHandledSafely) {
  std::wstring fname = L"before";
  std::int32_t ierr = 77;
  {
    User user([](HWND dialog) {
      cmdlg_test::ChooseFile(dialog, L"na\u0151ve\u4e2d.txt");
      // A name the code page turned into a pattern keeps the dialog open: then cancel.
      if (driver::WaitUntil([&] { return !IsWindow(dialog); }, 3000)) return;
      cmdlg_test::CancelDialog(dialog);
    });
    open_file_to_read(fname, L"*.*", L"test dll", ierr);
  }
  if (ierr == 0) {
    EXPECT_EQ(fname.substr(0, m_folder.size()), m_folder) << Narrow(fname);
    EXPECT_EQ(fname.substr(fname.size() - 4), L".txt") << Narrow(fname);
  } else {
    EXPECT_EQ(ierr, -1);
    EXPECT_EQ(fname, L"before");
  }
}

class ProbeFormWithStandin : public testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_EQ(cmdlg_test::RegisterStandin(), S_OK); }
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    m_journal = cmdlg_test::NewStandinJournal(L"in_process");
  }
  void TearDown() override {
    cmdlg_test::SetStandinFailure(L"");
    OleUninitialize();
  }
  std::wstring m_journal;
};

TEST_F(ProbeFormWithStandin, TheShellLendsTheControlObjectUntilTheFormCloses) {
  shell::BuildFailure failure;
  std::unique_ptr<shell::Form> form = shell::Form::Build(ProbeForm(), {}, failure);
  ASSERT_TRUE(form) << Narrow(failure.message);
  IUnknown* control = form->ControlObject(L"CMD");
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(form->ControlObject(L"Command1"), nullptr);  // a button has no control object
  EXPECT_EQ(form->ControlObject(L"CMD", 0), nullptr);    // not a control array
  EXPECT_EQ(form->ControlObject(L"nothing"), nullptr);
  {
    Microsoft::WRL::ComPtr<IDispatch> dispatch;
    ASSERT_EQ(control->QueryInterface(IID_PPV_ARGS(&dispatch)), S_OK);

    // A Show the test makes fail raises an error and shows nothing.
    cmdlg_test::SetStandinFailure(L"ShowFont");
    EXPECT_EQ(ShowThroughControl(dispatch.Get(), kDispidShowFont), DISP_E_EXCEPTION);
    cmdlg_test::SetStandinFailure(L"");

    // A cancel with CancelError True arrives as an error too.
    HRESULT cancelled = S_OK;
    {
      User user([](HWND dialog) { cmdlg_test::CancelDialog(dialog); });
      cancelled = ShowThroughControl(dispatch.Get(), kDispidShowColor);
    }
    EXPECT_EQ(cancelled, DISP_E_EXCEPTION);
    EXPECT_EQ(ShowThroughControl(dispatch.Get(), 99), DISP_E_MEMBERNOTFOUND);
  }
  form->Close();
  EXPECT_EQ(form->ControlObject(L"CMD"), nullptr);
  form.reset();
  const std::vector<std::wstring> journal = cmdlg_test::ReadLines(m_journal);
  for (const wchar_t* line : {L"CMD ShowFont fails", L"CMD ShowColor cancelled", L"CMD close 1", L"CMD release"}) {
    EXPECT_EQ(cmdlg_test::CountOf(journal, line), 1) << Narrow(line) << " in\n" << cmdlg_test::Joined(journal);
  }
}

}  // namespace
}  // namespace kit::cmdlg
