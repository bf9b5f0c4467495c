// Win32-only. The visible part of a stand-in control: a child window of class
// "KitStandinControl" whose text is the ProgID, drawing a light frame with the instance's
// display name and ProgID, and taking the focus on a click.
#pragma once

#include "common/win32.h"

#include <string>
#include <string_view>

namespace kit::standin {

// How the window is made, as real controls differ.
struct WindowHabits {
  bool tabStop = true;        // WS_TABSTOP, as the plain stand-in has it; many real controls lack it
  bool clipSiblings = false;  // WS_CLIPSIBLINGS
  bool wantsTab = false;      // claims Tab (and every key) from the dialog manager, as edit-like controls do
  bool noFocus = false;       // passes the focus straight back, as frames and bars do
  // Inside a wrapper window of its own (a reflector, as controls of some frameworks make to get
  // their notifications back): the wrapper is the container's child, the control's window its child.
  bool reflector = false;
  // Faults of controls met in the field, for the survey's tests:
  bool lateMessage = false;  // an error box of its own as soon as the form runs
  bool nagBox = false;       // an evaluation box as soon as the form runs, again each time it is answered
  bool ownClassBox = false;  // a modal box of a window class of its own as soon as the form runs
  bool otherProcess = false; // another process's window as soon as the form runs, waited for
};

// `slot` is the owner's handle variable: the window clears it when it is destroyed, by its
// owner or along with its parent, so the owner never holds a dead handle.
HWND CreateStandinWindow(HWND parent, const RECT& rect, const std::wstring& progId, const std::wstring& displayName,
                         HWND* slot, WindowHabits habits = {});
void RenameStandinWindow(HWND window, const std::wstring& displayName);
// The window that lies in the container: the reflector around `window`, or `window` itself. It is
// what the control moves, shows, hides and destroys.
HWND PlacedWindow(HWND window);
// Draws the stand-in's face into any device context (its window, or a container's IViewObject).
void PaintStandin(HDC dc, const RECT& rect, std::wstring_view displayName, std::wstring_view progId, bool focused);
// At DLL unload: the window class belongs to this module.
void UnregisterStandinWindowClass();

}  // namespace kit::standin
