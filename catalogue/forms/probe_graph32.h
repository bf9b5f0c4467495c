// probe_graph32: hosts the graph control. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_graph32 {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_ExtentX", std::int32_t{5318}},
    {L"_ExtentY", std::int32_t{2619}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(3530, 2360),
    Control(L"graph32", kGraph, 360, 150, 3015, 1485, 1, {SavedForm::ControlStream, kSaved}),
    CommandDone(2370, 1830),
};

}  // namespace kit::catalogue::probe_graph32
