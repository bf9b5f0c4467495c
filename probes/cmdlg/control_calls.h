// Win32-only. The common-dialog control as the probe drives it: through its dispatch interface,
// by dispatch identifier, with no type information asked for.
#pragma once

#include "common/win32.h"

#include <oaidl.h>

namespace kit::cmdlg {

// The control's members the probe uses.
inline constexpr DISPID kDispidCancelError = 18;  // property, put with one boolean
inline constexpr DISPID kDispidShowOpen = 30;
inline constexpr DISPID kDispidShowSave = 31;
inline constexpr DISPID kDispidShowColor = 32;
inline constexpr DISPID kDispidShowFont = 33;
inline constexpr DISPID kDispidShowPrinter = 34;

// Puts True into CancelError, then calls the Show method `show`, which returns when its dialog
// closes. The first failure ends the test and is returned (a cancel arrives as one); whatever the
// control handed back with it is freed.
HRESULT ShowThroughControl(IDispatch* control, DISPID show);

}  // namespace kit::cmdlg
