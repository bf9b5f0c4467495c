// Win32-only. The survey's small progress window: a bar, the program running now, and Cancel,
// which lets the running program finish and skips the rest.
#pragma once

#include "common/win32.h"

#include <atomic>
#include <functional>
#include <string>

namespace kit::survey {

// Reports progress from the survey's thread to the window.
using ProgressReport = std::function<void(int done, int total, const std::wstring& program)>;

// Shows the window and runs `work` on a thread of its own while the window answers the user;
// returns when `work` has returned. `cancel` is set when the user asks to cancel.
void RunWithProgressWindow(HINSTANCE instance, std::atomic<bool>& cancel,
                           const std::function<void(const ProgressReport&)>& work);

}  // namespace kit::survey
