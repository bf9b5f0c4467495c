// probe_VELGraphControl: hosts the graph control with its 27 saved values. Whether its window opens with the controls drawn is the diagnosis.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_VELGraphControl {
using namespace kit::shell;

inline constexpr SavedProperty kSaved[] = {
    {L"_extentx", std::int32_t{5786}},
    {L"_extenty", std::int32_t{2875}},
    {L"backcolor", std::int32_t{16777215}},
    {L"font", kSansSerif8},
    {L"titlefont", kSansSerif8},
    {L"yaxismin", -99999.0f},
    {L"yaxismax", -99999.0f},
    {L"xaxismin", -99999.0f},
    {L"xaxismax", -99999.0f},
    {L"datanull", -999.0f},
    {L"markersize", std::int32_t{35}},
    {L"xbaselog", 10.0f},
    {L"ybaselog", 10.0f},
    {L"setmargins", false},
    {L"yaxistopmargin", 0.0f},
    {L"yaxisbottommargin", 0.0f},
    {L"xaxisleftmargin", 0.0f},
    {L"xaxisrightmargin", 0.0f},
    {L"dozoom", false},
    {L"zoomxsplit", std::int32_t{-1}},
    {L"zoomxsplitleft", std::int32_t{255}},
    {L"zoomxsplitright", std::int32_t{65280}},
    {L"zoomysplit", std::int32_t{-1}},
    {L"zoomysplittop", std::int32_t{255}},
    {L"zoomysplitbottom", std::int32_t{65280}},
    {L"zoomxtype", std::int32_t{1}},
    {L"zoomytype", std::int32_t{1}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(3530, 2360),
    Control(L"GraphControl1", kGraphControl, 180, 60, 3280, 1630, 1, {SavedForm::PropertyBag, kSaved}),
    CommandDone(2370, 1830),
};

}  // namespace kit::catalogue::probe_VELGraphControl
