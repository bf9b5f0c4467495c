// Win32-only. What every top-level window of the kit shares: its window class (the kit's icon,
// the button-face background, the arrow cursor) and the screen's resolution that turns twips
// into pixels.
#pragma once

#include "common/win32.h"

namespace kit {

// The program's icon group in its resources, as add_kit_program() puts it there.
inline constexpr int kProgramIconResource = 1;

// Registers the class once per process; later calls for the same name succeed at once.
bool RegisterKitWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure, UINT style = 0);

// The screen's dots per inch, horizontally and vertically; 96 where the system gives none.
int ScreenDpiX();
int ScreenDpiY();

}  // namespace kit
