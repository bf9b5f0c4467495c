// Win32-only. How the journal writes a saved property a control was handed: "<type> <value>".
#pragma once

#include "common/win32.h"

#include <oaidl.h>

#include <string>

namespace kit::standin {

// "i4 5786", "r4 -99999", "bool false", "bstr threed32", "i2 3",
// "font MS Sans Serif|8|400|0|0|0|0" (face|points|weight|charset|italic|underline|strike),
// and "other <vt>" for anything else.
std::wstring DescribeValue(const VARIANT& value);

}  // namespace kit::standin
