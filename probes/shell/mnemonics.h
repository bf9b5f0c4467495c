// Win32-only. The keyboard mnemonics a hosted control declares through IOleControl::GetControlInfo
// (the accelerator of its caption, say Alt+T for "&Test"): copied when it is created and again
// when it says they changed, and matched against the keys the form sees, as a form routes them.
#pragma once

#include "common/win32.h"

#include <unknwn.h>

namespace kit::shell {

class ControlMnemonics {
public:
  // Copies the control's table; a control without IOleControl, or that answers none, has none.
  void Read(IUnknown* control);
  // Whether `message` (a key down or a character, Alt held or not) is one of them.
  bool Matches(const MSG& message) const;

private:
  // A caption carries one mnemonic; a control with many keys keeps these first ones.
  static constexpr int kMost = 8;
  ACCEL m_keys[kMost]{};
  int m_count = 0;
};

}  // namespace kit::shell
