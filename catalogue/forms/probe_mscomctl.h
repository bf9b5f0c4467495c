// probe_mscomctl: hosts five common controls; the toolbar keeps to the top edge, the status bar to the bottom. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_mscomctl {
using namespace kit::shell;

inline constexpr SavedProperty kSaved0[] = {
    {L"_ExtentX", std::int32_t{1111}},
    {L"_ExtentY", std::int32_t{1393}},
};
inline constexpr SavedProperty kSaved1[] = {
    {L"_ExtentX", std::int32_t{3986}},
    {L"_ExtentY", std::int32_t{2187}},
};
inline constexpr SavedProperty kSaved2[] = {
    {L"_ExtentX", std::int32_t{2822}},
    {L"_ExtentY", std::int32_t{512}},
};
inline constexpr SavedProperty kSaved3[] = {
    {L"_ExtentX", std::int32_t{6227}},
    {L"_ExtentY", std::int32_t{617}},
};
inline constexpr SavedProperty kSaved4[] = {
    {L"_ExtentX", std::int32_t{6227}},
    {L"_ExtentY", std::int32_t{1058}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(3530, 2360),
    Control(L"sld_mscomctl", kSlider, 3000, 690, 630, 795, 5, {SavedForm::ControlStream, kSaved0}),
    Control(L"Tree_mscomctl", kTreeView, 60, 660, 2265, 1245, 4, {SavedForm::ControlStream, kSaved1}),
    Control(L"prg_mscomctl", kProgressBar, 1590, 2070, 1605, 285, 3, {SavedForm::ControlStream, kSaved2}),
    {.name = L"Status_mscomctl", .kind = ItemKind::ActiveX, .control = kStatusBar, .left = 0, .top = 2010, .width = 3525, .height = 345, .tabIndex = 2, .saved = {SavedForm::ControlStream, kSaved3}, .align = Align::Bottom},
    {.name = L"tlb_mscomctl", .kind = ItemKind::ActiveX, .control = kToolbar, .left = 0, .top = 0, .width = 3530, .height = 600, .tabIndex = 1, .saved = {SavedForm::ControlStream, kSaved4}, .align = Align::Top},
    CommandDone(2430, 1560),
};

}  // namespace kit::catalogue::probe_mscomctl
