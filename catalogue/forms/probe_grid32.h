// probe_grid32: hosts the grid. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_grid32 {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_ExtentX", std::int32_t{2566}},
    {L"_ExtentY", std::int32_t{926}},
    {L"Font", kSansSerif8},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(1850, 1260),
    Control(L"grd", kGrid, 150, 90, 1455, 525, 1, {SavedForm::ControlStream, kSaved}),
    CommandDone(300, 750),
};

}  // namespace kit::catalogue::probe_grid32
