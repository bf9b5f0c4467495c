// probe_mscomct2: hosts the date picker, month view and up-down controls. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_mscomct2 {
using namespace kit::shell;

inline constexpr SavedProperty kSaved0[] = {
    {L"_ExtentX", std::int32_t{3581}},
    {L"_ExtentY", std::int32_t{617}},
};
inline constexpr SavedProperty kSaved1[] = {
    {L"_ExtentX", std::int32_t{4410}},
    {L"_ExtentY", std::int32_t{4022}},
};
inline constexpr SavedProperty kSaved2[] = {
    {L"_ExtentX", std::int32_t{459}},
    {L"_ExtentY", std::int32_t{3351}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(3530, 3420),
    Control(L"DTPicker1", kDTPicker, 180, 2850, 2025, 345, 3, {SavedForm::ControlStream, kSaved0}),
    Control(L"MonthView1", kMonthView, 150, 240, 2500, 2280, 2, {SavedForm::ControlStream, kSaved1}),
    Control(L"UpDown1", kUpDown, 3120, 330, 255, 1905, 1, {SavedForm::ControlStream, kSaved2}),
    CommandDone(2400, 2880),
};

}  // namespace kit::catalogue::probe_mscomct2
