// probe_msflxgrd: hosts the flex grid. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_msflxgrd {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_ExtentX", std::int32_t{6174}},
    {L"_ExtentY", std::int32_t{3052}},
    {L"Font", kSansSerif8},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(3980, 2490),
    Control(L"Grid_test", kFlexGrid, 150, 60, 3495, 1725, 1, {SavedForm::ControlStream, kSaved}),
    CommandDone(2580, 1980),
};

}  // namespace kit::catalogue::probe_msflxgrd
