// probe_VELSelectDir: hosts the folder selection control. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_VELSelectDir {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_extentx", std::int32_t{6068}},
    {L"_extenty", std::int32_t{4322}},
    {L"font", kSansSerif8},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(3530, 3180),
    Control(L"SelectDir1", kSelectDir, 60, 30, 3435, 2445, 1, {SavedForm::PropertyBag, kSaved}),
    CommandDone(2370, 2610),
};

}  // namespace kit::catalogue::probe_VELSelectDir
