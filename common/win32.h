// The one include wrapper for <windows.h>: every Win32 adapter file includes this instead.
// MinGW defines an old _WIN32_WINNT by default; the kit targets Windows XP and later.
#pragma once

#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0501
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
