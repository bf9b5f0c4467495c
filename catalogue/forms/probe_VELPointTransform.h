// probe_VELPointTransform: hosts the point transform control. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_VELPointTransform {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_extentx", std::int32_t{11024}},
    {L"_extenty", std::int32_t{10672}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(6300, 6770),
    Control(L"PointTransform1", kPointTransform, 30, 0, 6255, 6045, 1, {SavedForm::PropertyBag, kSaved}),
    CommandDone(5010, 6270),
};

}  // namespace kit::catalogue::probe_VELPointTransform
