// probe_msflxgrd: hosts the flex grid. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "probes/hosts/classes.h"
#include "probes/shell/standard_items.h"

namespace kit::hosts::probe_msflxgrd {
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

}  // namespace kit::hosts::probe_msflxgrd
