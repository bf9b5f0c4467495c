// probe_VELGridView32: hosts the grid viewer control. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_VELGridView32 {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_extentx", std::int32_t{21131}},
    {L"_extenty", std::int32_t{13458}},
    {L"titlefont", kSansSerif8},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(12570, 8580),
    Control(L"GridViewer1", kGridViewer, 300, 180, 11980, 7630, 1, {SavedForm::PropertyBag, kSaved}),
    CommandOneDone(11250, 8130),
};

}  // namespace kit::catalogue::probe_VELGridView32
