// probe_VELFileView: hosts the file view control. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_VELFileView {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_extentx", std::int32_t{21237}},
    {L"_extenty", std::int32_t{13988}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(12570, 8580),
    Control(L"FileView1", kFileView, 270, 60, 12040, 7930, 1, {SavedForm::PropertyBag, kSaved}),
    CommandOneDone(11250, 8130),
};

}  // namespace kit::catalogue::probe_VELFileView
