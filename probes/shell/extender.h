// Win32-only. The extender object of a hosted control (what IOleControlSite::GetExtendedControl
// hands out): the properties the form keeps for each of its controls, read through IDispatch by
// name. Name, Index (array members only), Left, Top, Width, Height (twips), Visible, Enabled,
// TabIndex, TabStop, Tag, Parent (the form), Container (the form or the control it lies in) and
// Object (the control itself); any other member is "member not found".
#pragma once

#include "common/win32.h"

#include <oaidl.h>
#include <wrl/client.h>

namespace kit::shell {

class ControlSite;

// Holds the site for as long as the control holds the extender.
Microsoft::WRL::ComPtr<IDispatch> CreateExtender(ControlSite* site);

}  // namespace kit::shell
