// probe_VELUtils: loads the maker's native library while its window loads and ticks its check box
// when that worked; no button runs a test.
#pragma once

#include "catalogue/forms/service_items.h"

namespace kit::catalogue::probe_VELUtils {
using namespace kit::shell;

inline constexpr FontSpec kSansBold{.face = L"MS Sans Serif", .points = 8, .weight = 700};

inline constexpr ItemRecord kForm[] = {
    FormWindow(2580, 2130),
    WithFont(CommandDone(1230, 1560), kSansBold),
    {.name = L"Check_lib", .index = 0, .kind = ItemKind::CheckBox, .caption = L"VEL_Intel_Win32", .left = 300,
     .top = 150, .width = 1995, .height = 255, .tabIndex = 1, .font = kSansBold},
};

}  // namespace kit::catalogue::probe_VELUtils
