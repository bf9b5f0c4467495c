// Win32-only. The stand-in "COMDLG32.OCX": one class, "MSComDlg.CommonDialog", a control invisible
// at run time that opens the platform's own common dialogs when asked through its dispatch
// interface. What the DLL's files share.
#pragma once

#include "catalogue/classes.h"
#include "common/win32.h"
#include "standins/com_server/com_server.h"

#include <oaidl.h>
#include <oleidl.h>

#include <string_view>

namespace kit::comdlg {

// The catalogue's texts are literals: their data ends in a NUL.
inline constexpr const wchar_t* kProgId = catalogue::kCommonDialog.progId.data();
inline constexpr const wchar_t* kClassId = catalogue::kCommonDialog.classId.data();
inline constexpr DWORD kMiscStatus = OLEMISC_INVISIBLEATRUNTIME | OLEMISC_SETCLIENTSITEFIRST;

// The members of the control's dispatch interface.
inline constexpr DISPID kDispidCancelError = 18;
inline constexpr DISPID kDispidShowOpen = 30;
inline constexpr DISPID kDispidShowSave = 31;
inline constexpr DISPID kDispidShowColor = 32;
inline constexpr DISPID kDispidShowFont = 33;
inline constexpr DISPID kDispidShowPrinter = 34;
// The member's name for a dispatch identifier; empty for one the control lacks.
std::wstring_view MemberName(DISPID member);
DISPID MemberOf(std::wstring_view name);  // DISPID_UNKNOWN for none, any case

using comserver::ObjectCreated;
using comserver::ObjectDestroyed;

HRESULT CreateCommonDialog(REFIID iid, void** object);

// One line "<instance> <event>" appended to the file KIT_CONTROL_JOURNAL names (nothing if unset).
void Journal(std::wstring_view instance, std::wstring_view event);
// Whether KIT_COMDLG_FAIL (member names separated by ';', or "*" for every Show method) asks
// `member` to raise an error instead of doing its work.
bool FailureRequested(std::wstring_view member);
// What KIT_COMDLG_SLOW asks: each dialog comes this many milliseconds late, the control waiting
// meanwhile as on another thread (answering what is sent to it), as the platform's dialogs do
// while they load the shell. 0 when unset.
DWORD DialogDelayMs();
// Whether KIT_COMDLG_NO_DRIVER is set: the printer dialog then meets a printer driver that cannot
// be loaded, says so in a box of its own and fails, as the platform's print dialog does when it
// is not told to keep quiet (PD_NOWARNING).
bool PrinterDriverMissing();

// How a dialog ended.
struct DialogOutcome {
  enum Kind { Chosen, Cancelled, Failed } kind = Cancelled;
  DWORD error = 0;  // the platform's extended error for Failed
};
// Shows the dialog of a Show method, modal to `owner`, with the control's defaults.
DialogOutcome ShowPlatformDialog(DISPID member, HWND owner);

}  // namespace kit::comdlg
