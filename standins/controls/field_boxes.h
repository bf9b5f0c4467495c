// Win32-only. What some real controls put on the desktop besides their form, for the survey's
// window watching: a nag box that keeps coming back, a modal box of a window class of their own,
// a hidden dialog kept as a message sink, a window shown by another process while they wait.
// Each is journaled under the control's instance name.
#pragma once

#include "common/win32.h"

#include <string>

namespace kit::standin {

// The evaluation box, owned by `form`, shown again each time it is answered, until the form is
// gone or the thread is asked to quit.
void NagForever(HWND form, const std::wstring& instance);

// A box of class "KitStandInBox" owned by `form`, modal as a message box is (the form disabled, a
// message loop of its own) until its OK button or close box ends it.
void ShowOwnClassBox(HWND form, const std::wstring& instance);

// Signals the event "kit_fx_report" for another process to show its window, then waits, handling
// the thread's messages with `form` disabled, until that process signals "kit_fx_report_closed"
// (120 s at most).
void WaitForOtherProcessWindow(HWND form, const std::wstring& instance);

// A hidden dialog-class window, never shown; the caller destroys it.
HWND CreateHiddenSink(const std::wstring& instance);

// At DLL unload: the box's window class belongs to this module.
void UnregisterBoxClass();

}  // namespace kit::standin
