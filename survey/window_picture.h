// Win32-only. A picture of another program's top-level window, frame included, as pixels (not yet
// encoded). The whole window is taken even where it is larger than the screen. A window that does
// not answer is never waited on past one bound (3 s): it is pictured as the screen shows it.
#pragma once

#include "common/win32.h"
#include "report/survey_result.h"

#include <optional>
#include <string>

namespace kit::survey {
using namespace kit::report;

std::optional<Picture> TakePicture(HWND window, std::wstring caption);

}  // namespace kit::survey
