// The form model and its layout decisions: checking descriptions, pixel rectangles, tab order,
// aligned controls and the control failure text.
#include "probes/shell/form_layout.h"
#include "catalogue/standard_items.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace kit::shell {
void PrintTo(const PixelRect& r, std::ostream* out) {
  *out << "{" << r.left << ", " << r.top << ", " << r.width << " x " << r.height << "}";
}
}  // namespace kit::shell

namespace {
using namespace kit::shell;

constexpr FontSpec kSansBold{.face = L"MS Sans Serif", .points = 8, .weight = 700};
constexpr SavedProperty kBag[] = {{L"_extentx", std::int32_t{5786}}, {L"yaxismin", -99999.0f}, {L"dozoom", false},
                                  {L"font", FontSpec{.face = L"MS Sans Serif"}}};

constexpr ItemRecord kFrameForm[] = {
    FormWindow(3530, 2360),
    {.name = L"Frame", .kind = ItemKind::ActiveX,
     .control = {L"Threed.SSFrame", L"{0BA686AF-F7D3-101A-993E-0000C0EF6F5E}", L"THREED32.OCX"},
     .left = 120, .top = 660, .width = 3345, .height = 1065, .tabIndex = 2, .saved = {.bag = kBag}},
    {.name = L"Option", .index = 1, .kind = ItemKind::ActiveX,
     .control = {L"Threed.SSOption", L"{0BA686BE-F7D3-101A-993E-0000C0EF6F5E}", L"THREED32.OCX"},
     .left = 300, .top = 540, .width = 2505, .height = 345, .tabIndex = 4, .container = L"Frame"},
    {.name = L"Option", .index = 0, .kind = ItemKind::ActiveX,
     .control = {L"Threed.SSOption", L"{0BA686BE-F7D3-101A-993E-0000C0EF6F5E}", L"THREED32.OCX"},
     .left = 330, .top = 270, .width = 2445, .height = 225, .tabIndex = 3, .container = L"Frame"},
    {.name = L"Check_lib", .kind = ItemKind::CheckBox, .caption = L"lib", .left = 240, .top = 150, .width = 2295,
     .height = 315, .tabIndex = 1, .font = kSansBold},
    CommandDone(2370, 1830),
};

TEST(FormModel, AWellFormedDescriptionPasses) {
  const auto problem = CheckForm(kFrameForm);
  EXPECT_FALSE(problem.has_value()) << std::string(problem.value_or(L"").begin(), problem.value_or(L"").end());
  EXPECT_EQ(std::get<float>(kFrameForm[1].saved.bag[1].value), -99999.0f);
  EXPECT_EQ(kFrameForm[4].font->weight, 700);
  EXPECT_EQ(*kFrameForm[2].index, 1);
}

TEST(FormModel, BrokenDescriptionsAreRefusedNamingTheRecord) {
  struct Case {
    std::vector<ItemRecord> form;
    std::wstring expectedPart;
  };
  const ItemRecord window = FormWindow(1000, 1000);
  ItemRecord button = CommandDone(10, 10);
  ItemRecord second = button;
  second.name = L"Command_test";
  ItemRecord orphan = button;
  orphan.name = L"Orphan";
  orphan.tabIndex = 5;
  orphan.container = L"Nowhere";
  ItemRecord huge = button;
  huge.left = 40000;
  ItemRecord secondWindow = window;
  secondWindow.name = L"Form2";
  ItemRecord control = button;
  control.name = L"Ctl";
  control.kind = ItemKind::ActiveX;
  control.tabIndex = 3;
  const Case cases[] = {
      {{}, L"first record"},
      {{button}, L"first record"},
      {{FormWindow(0, 100), button}, L"client size"},
      {{window, button, button}, L"named twice"},
      {{window, button, second}, L"tab index 0 is used twice"},
      {{window, orphan}, L"container 'Nowhere'"},
      {{window, huge}, L"out of range"},
      {{window, control}, L"class identifier"},
      {{window, secondWindow}, L"only the first record"},
  };
  for (const Case& c : cases) {
    const auto problem = CheckForm(c.form);
    ASSERT_TRUE(problem.has_value()) << "expected a refusal containing: "
                                     << std::string(c.expectedPart.begin(), c.expectedPart.end());
    EXPECT_NE(problem->find(c.expectedPart), std::wstring::npos)
        << std::string(problem->begin(), problem->end());
  }
}

TEST(FormModel, ControlArraysMayShareANameWithDistinctIndexes) {
  EXPECT_EQ(ContainerOf(kFrameForm, 2), 1u);
  EXPECT_EQ(ContainerOf(kFrameForm, 3), 1u);
  EXPECT_EQ(ContainerOf(kFrameForm, 4), 0u);
}

TEST(FormLayout, ProbeBaseAt96Dpi) {
  const ItemRecord window = FormWindow(1670, 1080);
  EXPECT_EQ(ClientPixels(window, {96, 96}), (PixelRect{0, 0, 111, 72}));
  EXPECT_EQ(ItemPixels(CommandDone(270, 330), {96, 96}), (PixelRect{18, 22, 71, 25}));
}

TEST(FormLayout, HorizontalAndVerticalResolutionsApplySeparately) {
  EXPECT_EQ(ItemPixels(CommandDone(270, 330), {120, 144}), (PixelRect{23, 33, 89, 38}));
  EXPECT_EQ(ItemPixels(CommandOneDone(11250, 8130), {96, 96}), (PixelRect{750, 542, 69, 23}));
}

TEST(FormLayout, TabOrderFollowsTabIndexNotCreationOrder) {
  const std::vector<std::size_t> expected{5, 4, 1, 3, 2};
  EXPECT_EQ(TabOrder(kFrameForm), expected);
}

TEST(FormLayout, ItemsWithoutTabIndexAreLeftOutOfTheOrder) {
  ItemRecord resizer{.name = L"ControlResizer1", .kind = ItemKind::ActiveX, .left = 90, .top = 300, .width = 160,
                     .height = 160, .invisibleAtRunTime = true};
  const ItemRecord form[] = {FormWindow(2100, 960), resizer, CommandDone(510, 270)};
  EXPECT_EQ(TabOrder(form), std::vector<std::size_t>{2});
}

TEST(FormLayout, AlignedControlsKeepToTheirEdgeAcrossTheFullWidth) {
  const ItemRecord toolbar{.name = L"tlb", .align = Align::Top};
  const ItemRecord status{.name = L"sts", .align = Align::Bottom};
  const ItemRecord fixed{.name = L"sld"};
  const PixelRect original{3, 40, 200, 23};
  EXPECT_EQ(AlignedPixels(toolbar, original, 400, 300), (PixelRect{0, 0, 400, 23}));
  EXPECT_EQ(AlignedPixels(status, original, 400, 300), (PixelRect{0, 277, 400, 23}));
  EXPECT_EQ(AlignedPixels(status, original, 150, 500), (PixelRect{0, 477, 150, 23}));
  EXPECT_EQ(AlignedPixels(fixed, original, 400, 300), original);
}

TEST(FormLayout, FontHeightsFollowTheVerticalResolution) {
  EXPECT_EQ(FontHeightPixels(8, 96), -11);   // 10.67
  EXPECT_EQ(FontHeightPixels(8, 120), -13);  // 13.33
  EXPECT_EQ(FontHeightPixels(9.75, 96), -13);
}

}  // namespace
