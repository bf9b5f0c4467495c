// Win32-only. What the dialog probe's Windows-side and end-to-end tests share: the stand-in
// control in the test prefix's registry, the common dialogs a process shows, and the folder a
// file dialog shows, read from inside the dialog's process.
#pragma once

#include "driver/driver.h"
#include "tests/support/driver_support.h"

#include <string>
#include <vector>

namespace kit::cmdlg_test {

// DllRegisterServer / DllUnregisterServer of the stand-in COMDLG32.OCX beside the test program.
HRESULT RegisterStandin();
HRESULT UnregisterStandin();

// The process's visible dialog-class windows: common dialogs and message boxes alike.
std::vector<HWND> DialogWindows(DWORD processId);
// The first dialog window of the process that appears within the bound, or null.
HWND WaitForDialog(DWORD processId, DWORD timeoutMs = driver::DefaultWaitMs());
// True when the process shows no dialog window for a whole `quietMs` within `timeoutMs` (and
// the quiet itself); a dialog window seen starts the quiet again.
bool NoDialogFor(DWORD processId, DWORD quietMs = 400, DWORD timeoutMs = 5000);
// Cancels a common dialog as its Cancel button does.
void CancelDialog(HWND dialog);
// Types `name` into a file dialog's file name box and presses its OK button.
void ChooseFile(HWND dialog, const std::wstring& name);

// The folder a file dialog shows (CDM_GETFOLDERPATH), read through a buffer in the dialog's own
// process. `ansi`: the dialog was opened through the ANSI entry points and answers in ANSI.
std::wstring FolderOfDialog(HWND dialog, bool ansi);

// Journal of the stand-in (KIT_CONTROL_JOURNAL) for programs started next, fresh and empty; the
// members it should fail (KIT_COMDLG_FAIL, empty for none).
std::wstring NewStandinJournal(const std::wstring& name);
std::vector<std::wstring> ReadLines(const std::wstring& path);
void SetStandinFailure(const std::wstring& members);
int CountOf(const std::vector<std::wstring>& lines, const std::wstring& line);
std::string Joined(const std::vector<std::wstring>& lines);

}  // namespace kit::cmdlg_test
