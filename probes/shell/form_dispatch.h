// Win32-only. The form as its controls read it through their extender's Parent and Container: the
// members a control written for a full form container asks for while it loads. hWnd, Name,
// ScaleMode (twips), ScaleWidth and ScaleHeight (the client area), Width and Height (the whole
// window), Font, BackColor and Controls (Count, Item by index from 0 or by name, and For Each,
// giving the controls' extenders; Controls(key) in one call is its Item). Read-only.
#pragma once

#include "common/win32.h"

#include <oaidl.h>
#include <olectl.h>

namespace kit::shell {

class ControlContainer;

// The form's colours as OLE_COLOR system-colour references, so controls follow the user's scheme.
inline constexpr OLE_COLOR kSystemColour = 0x80000000u;
inline constexpr OLE_COLOR kFormBackColour = kSystemColour | COLOR_BTNFACE;

HRESULT FormIdsOfNames(LPOLESTR* names, UINT count, DISPID* ids);
HRESULT InvokeFormMember(ControlContainer& form, DISPID id, WORD flags, DISPPARAMS* parameters, VARIANT* result);

}  // namespace kit::shell
