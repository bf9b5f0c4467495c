// probe_VELControlResizer: hosts the control resizer, invisible at run time: only the end button shows. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_VELControlResizer {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_extentx", std::int32_t{282}},
    {L"_extenty", std::int32_t{282}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(2100, 960),
    {.name = L"ControlResizer1", .kind = ItemKind::ActiveX, .control = kControlResizer, .left = 90, .top = 300, .width = 160, .height = 160, .saved = {SavedForm::PropertyBag, kSaved}, .invisibleAtRunTime = true},
    CommandDone(510, 270),
};

}  // namespace kit::catalogue::probe_VELControlResizer
