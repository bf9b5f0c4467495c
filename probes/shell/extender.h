// Win32-only. The extender object of a hosted control (what IOleControlSite::GetExtendedControl
// hands out): the properties the form keeps for each of its controls, read and set through
// IDispatch by name. Name, Index (array members only), Left, Top, Width, Height (twips, relative
// to the control's container), Visible, Enabled, TabIndex, TabStop, Tag, hWnd, Parent (the form),
// Container (the form or the control it lies in) and Object (the control itself); any other
// member is "member not found". Setting Name, Index, hWnd, Parent, Container or Object is refused
// as for any read-only property.
#pragma once

#include "common/win32.h"

#include <oaidl.h>
#include <wrl/client.h>

namespace kit::shell {

class ControlSite;

// One per site, made by the site: it does not hold the site, which calls ForgetSite as it goes.
// An extender a control keeps after that answers every call with CO_E_OBJNOTCONNECTED.
Microsoft::WRL::ComPtr<IDispatch> CreateExtender(ControlSite* site);
void ForgetSite(IDispatch* extender);

}  // namespace kit::shell
