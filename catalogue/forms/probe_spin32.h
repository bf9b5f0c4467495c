// probe_spin32: hosts the spin button. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_spin32 {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_ExtentX", std::int32_t{661}},
    {L"_ExtentY", std::int32_t{1773}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(3530, 2360),
    Control(L"Spin_spin32", kSpinButton, 240, 240, 375, 1005, 1, {SavedForm::ControlStream, kSaved}),
    CommandDone(2370, 1830),
};

}  // namespace kit::catalogue::probe_spin32
