// probe_graph32: hosts the graph control. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "probes/hosts/classes.h"
#include "probes/shell/standard_items.h"

namespace kit::hosts::probe_graph32 {
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

}  // namespace kit::hosts::probe_graph32
