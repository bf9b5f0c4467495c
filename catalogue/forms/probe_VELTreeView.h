// probe_VELTreeView: hosts the tree view control. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_VELTreeView {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_extentx", std::int32_t{10813}},
    {L"_extenty", std::int32_t{9384}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(6750, 6510),
    Control(L"VBTreeView1", kVBTreeView, 270, 150, 6130, 5320, 1, {SavedForm::PropertyBag, kSaved}),
    CommandOneDone(5340, 5790),
};

}  // namespace kit::catalogue::probe_VELTreeView
