// Win32-only. Which of a control host's controls are on its open Form1: the host's form in the
// catalogue says where each control with a visible area lies, and a window other than the one it
// lies in must be found at the centre of that place.
#pragma once

#include "common/win32.h"

#include <string>
#include <string_view>
#include <vector>

namespace kit::survey {

struct ControlPlaces {
  int expected = 0;                  // the controls with a visible area; -1 for a program with no form table
  int placed = 0;
  int invisible = 0;                 // invisible at run time: left out of `expected`
  std::vector<std::wstring> missing;  // "name" or "name(index)", in the table's order
};

ControlPlaces CheckControlPlaces(std::wstring_view program, HWND form);

}  // namespace kit::survey
