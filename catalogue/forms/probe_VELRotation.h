// probe_VELRotation: hosts the rotation control. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_VELRotation {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_extentx", std::int32_t{12629}},
    {L"_extenty", std::int32_t{9243}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(7190, 6020),
    Control(L"Rotation1", kRotation, 0, 30, 7155, 5235, 1, {SavedForm::PropertyBag, kSaved}),
    CommandDone(6000, 5460),
};

}  // namespace kit::catalogue::probe_VELRotation
