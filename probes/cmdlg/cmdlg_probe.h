// Win32-only. probe_cmdlg: opens every common dialog, colour, open, save, font and printer through
// the common-dialog control on its window, and open and save directly through comdlg32. A dialog
// that opens shows the component works; nothing of what the user picks is read.
#pragma once

#include "catalogue/form_model.h"

namespace kit::cmdlg {

// The name and title the direct tests use.
inline constexpr wchar_t kDirectTitle[] = L"test dll";
inline constexpr wchar_t kDirectFilter[] = L"*.*";

shell::FormDescription ProbeForm();
int Run();

}  // namespace kit::cmdlg
