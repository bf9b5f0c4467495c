// Win32-only. What a control written for a full form container does against its form once it is
// active in place: it walks the form's controls, moves a sibling through its extender, converts
// coordinates through its site and compares the identities of what the form hands out. Each step
// is journaled under the instance's name with what the form answered.
#pragma once

#include "common/win32.h"

#include <oleidl.h>

#include <string_view>

namespace kit::standin {

struct FormHabits {
  bool walkControls = false;   // Parent.Controls(i).Name for every i, then For Each over Parent.Controls
  bool moveSibling = false;    // the first other control moved, hidden, shown and widened
  bool transform = false;      // a position and a size from HIMETRIC to the container's unit and back
  bool sameContainer = false;  // extender, Container and the frame's extender: one identity each
  bool Any() const { return walkControls || moveSibling || transform || sameContainer; }
};

// `self` is the control's identity (its IUnknown), to tell itself from its siblings.
void ActAgainstForm(IOleClientSite* site, IUnknown* self, const FormHabits& habits, std::wstring_view instance);

// What the sibling mover adds to the left, top and width of the control it moves, in twips.
inline constexpr float kSiblingShiftTwips = 150.0f;

}  // namespace kit::standin
