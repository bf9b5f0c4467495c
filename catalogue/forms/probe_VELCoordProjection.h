// probe_VELCoordProjection: hosts the coordinate projection control. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_VELCoordProjection {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_extentx", std::int32_t{12885}},
    {L"_extenty", std::int32_t{7699}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(7695, 5205),
    Control(L"CoordProjection1", kCoordProjection, 150, 120, 7305, 4365, 1, {SavedForm::PropertyBag, kSaved}),
    CommandDone(6450, 4650),
};

}  // namespace kit::catalogue::probe_VELCoordProjection
