// probe_VELEditControl: hosts the edit control, first in the tab order; the end button is created before it. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_VELEditControl {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_extentx", std::int32_t{6791}},
    {L"_extenty", std::int32_t{3881}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(4030, 2870),
    CommandOneDone(2700, 2430, 1),
    Control(L"EditControl1", kEditControl, 90, 90, 3850, 2200, 0, {SavedForm::PropertyBag, kSaved}),
};

}  // namespace kit::catalogue::probe_VELEditControl
