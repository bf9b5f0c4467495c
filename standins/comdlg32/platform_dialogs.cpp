// Win32-only. The platform's own dialogs as the control shows them, each with the control's
// defaults: no initial file, no filter, colour black, the default printer. (ShowFont never gets
// here: without font flags the control refuses it.)
#include "standins/comdlg32/comdlg_standin.h"

#include <cderr.h>
#include <commdlg.h>

namespace kit::comdlg {
namespace {

DialogOutcome Outcome(BOOL result) {
  if (result) return {DialogOutcome::Chosen, 0};
  const DWORD error = CommDlgExtendedError();
  return error == 0 ? DialogOutcome{DialogOutcome::Cancelled, 0} : DialogOutcome{DialogOutcome::Failed, error};
}

DialogOutcome ShowFileDialog(HWND owner, bool save) {
  wchar_t file[MAX_PATH] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFile = file;
  ofn.nMaxFile = ARRAYSIZE(file);
  return Outcome(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn));
}

DialogOutcome ShowColorDialog(HWND owner) {
  static COLORREF custom[16] = {};
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = owner;
  choose.lpCustColors = custom;
  return Outcome(ChooseColorW(&choose));
}

DialogOutcome ShowPrinterDialog(HWND owner) {
  if (PrinterDriverMissing()) {
    // The component's own box instead of its dialog, then the failure the dialog reports.
    MessageBoxW(owner, L"The printer driver could not be loaded.", L"Common dialog stand-in", MB_OK | MB_ICONERROR);
    return {DialogOutcome::Failed, PDERR_LOADDRVFAILURE};
  }
  PRINTDLGW print{};
  print.lStructSize = sizeof(print);
  print.hwndOwner = owner;
  const DialogOutcome outcome = Outcome(PrintDlgW(&print));
  if (print.hDevMode) GlobalFree(print.hDevMode);
  if (print.hDevNames) GlobalFree(print.hDevNames);
  return outcome;
}

// A wait on other threads: the thread answers what they send it, and takes nothing posted.
void WaitAnsweringSentMessages(DWORD ms) {
  const DWORD start = GetTickCount();
  for (DWORD passed = 0; passed < ms; passed = GetTickCount() - start) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - passed, QS_SENDMESSAGE);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

DialogOutcome ShowPlatformDialog(DISPID member, HWND owner) {
  WaitAnsweringSentMessages(DialogDelayMs());
  switch (member) {
    case kDispidShowOpen: return ShowFileDialog(owner, false);
    case kDispidShowSave: return ShowFileDialog(owner, true);
    case kDispidShowColor: return ShowColorDialog(owner);
    case kDispidShowPrinter: return ShowPrinterDialog(owner);
    default: return {DialogOutcome::Failed, 0};
  }
}

}  // namespace kit::comdlg
