// probe_threed32: hosts the 3-D check box, frame and option buttons; the options lie inside the frame. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_threed32 {
using namespace kit::shell;

inline constexpr SavedProperty kSaved0[] = {
    {L"_ExtentX", std::int32_t{5900}},
    {L"_ExtentY", std::int32_t{1879}},
    {L"Caption", std::wstring_view{L"threed32"}},
    {L"Font", kSansSerif8},
};
inline constexpr SavedProperty kSaved1[] = {
    {L"_ExtentX", std::int32_t{4419}},
    {L"_ExtentY", std::int32_t{609}},
    {L"Caption", std::wstring_view{L"threed32"}},
    {L"Font", kSansSerif8},
};
inline constexpr SavedProperty kSaved2[] = {
    {L"_ExtentX", std::int32_t{4313}},
    {L"_ExtentY", std::int32_t{397}},
    {L"Caption", std::wstring_view{L"threed32"}},
    {L"Font", kSansSerif8},
};
inline constexpr SavedProperty kSaved3[] = {
    {L"_ExtentX", std::int32_t{4048}},
    {L"_ExtentY", std::int32_t{556}},
    {L"Caption", std::wstring_view{L"threed32"}},
    {L"Font", kSansSerif8},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(3530, 2360),
    Control(L"Frame_threed32", kSSFrame, 120, 660, 3345, 1065, 2, {SavedForm::ControlStream, kSaved0}),
    {.name = L"Option_threed32", .index = 1, .kind = ItemKind::ActiveX, .control = kSSOption, .left = 300, .top = 540, .width = 2505, .height = 345, .tabIndex = 4, .container = L"Frame_threed32", .saved = {SavedForm::ControlStream, kSaved1}},
    {.name = L"Option_threed32", .index = 0, .kind = ItemKind::ActiveX, .control = kSSOption, .left = 330, .top = 270, .width = 2445, .height = 225, .tabIndex = 3, .container = L"Frame_threed32", .saved = {SavedForm::ControlStream, kSaved2}},
    Control(L"Check_threed32", kSSCheck, 240, 150, 2295, 315, 1, {SavedForm::ControlStream, kSaved3}),
    CommandDone(2370, 1830),
};

}  // namespace kit::catalogue::probe_threed32
