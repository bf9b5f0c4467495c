// probe_tabctl32: hosts the tab control with two tabs. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_tabctl32 {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_ExtentX", std::int32_t{3246}},
    {L"_ExtentY", std::int32_t{1552}},
    {L"Tabs", std::int32_t{2}},
    {L"TabCaption(0)", std::wstring_view{L"tabctl32"}},
    {L"TabCaption(1)", std::wstring_view{L"Tab 1"}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(2090, 1730),
    Control(L"Tab_tabctl32", kSSTab, 90, 90, 1845, 885, 1, {SavedForm::ControlStream, kSaved}),
    CommandDone(780, 1170),
};

}  // namespace kit::catalogue::probe_tabctl32
