// probe_VELProjection: hosts the projection control. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_VELProjection {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_extentx", std::int32_t{12418}},
    {L"_extenty", std::int32_t{6632}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(7050, 4560),
    Control(L"Projection1", kProjection, 30, 30, 7035, 3765, 1, {SavedForm::PropertyBag, kSaved}),
    CommandDone(5820, 4020),
};

}  // namespace kit::catalogue::probe_VELProjection
