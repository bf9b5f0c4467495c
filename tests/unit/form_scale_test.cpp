// The scale of a host's form as the survey reads it, on the systems it meets: each case lays a
// form out as the host would (at the DPI it sees, aligned items along the client area it gets,
// cut short by the screen), scales it as the system shows it to the survey, and the survey's
// places found from the client size alone must fall on the items, within a pixel at each edge.
#include "survey/form_scale.h"

#include "common/twips.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {
using namespace kit::shell;
using kit::survey::FindFormScale;
using kit::survey::FormScale;
using kit::survey::SeenItemPixels;

// 480 x 360 at 96 dpi: a toolbar along the top, a status bar along the bottom, a control at the
// lower right and a small one at the left.
constexpr ItemRecord kForm[] = {
    {.name = L"Form1", .kind = ItemKind::Window, .width = 7200, .height = 5400},
    {.name = L"Toolbar", .kind = ItemKind::ActiveX, .width = 7200, .height = 420, .align = Align::Top},
    {.name = L"Status", .kind = ItemKind::ActiveX, .width = 7200, .height = 300, .align = Align::Bottom},
    {.name = L"Graph", .kind = ItemKind::ActiveX, .left = 5000, .top = 3000, .width = 1800, .height = 1200},
    {.name = L"Spin", .kind = ItemKind::ActiveX, .left = 120, .top = 600, .width = 240, .height = 240},
};

struct System {
  const char* name;
  Dpi survey;       // the survey's own DPI (it is DPI-aware)
  Dpi host;         // the DPI the host lays its form out at
  int seen = 1;     // the survey reads the host's pixels scaled by seen / laid
  int laid = 1;
  int cutWidth = 0;   // the screen cuts the host's client area to this (host pixels; 0: not)
  int cutHeight = 0;
};

int Scaled(int v, const System& s) { return static_cast<int>(std::lround(static_cast<double>(v) * s.seen / s.laid)); }

PixelRect ScaledRect(const PixelRect& r, const System& s) {
  const int left = Scaled(r.left, s);
  const int top = Scaled(r.top, s);
  return {left, top, Scaled(r.left + r.width, s) - left, Scaled(r.top + r.height, s) - top};
}

TEST(FormScale, TheSurveyFindsEachItemAtAnyDpiAndAnyScaling) {
  const System systems[] = {
      {"96 dpi", {96, 96}, {96, 96}},
      {"144 dpi, the host not scaled (Windows XP, no composition, XP-style scaling)", {144, 144}, {144, 144}},
      {"150 %, the host scaled by the system, read in the survey's pixels", {144, 144}, {96, 96}, 3, 2},
      {"150 %, the host scaled by the system, read in the host's own pixels", {144, 144}, {96, 96}},
      {"125 %, the host scaled", {120, 120}, {96, 96}, 5, 4},
      {"200 %, the host scaled", {192, 192}, {96, 96}, 2, 1},
      {"175 %, the host scaled", {168, 168}, {96, 96}, 7, 4},
      {"the host on a monitor at 125 % under a survey at 150 %", {144, 144}, {96, 96}, 5, 4},
      {"120 dpi, not scaled", {120, 120}, {120, 120}},
      {"96 dpi, the form cut at the bottom by the screen", {96, 96}, {96, 96}, 1, 1, 0, 250},
      {"96 dpi, cut at the right", {96, 96}, {96, 96}, 1, 1, 300, 0},
      {"96 dpi, cut both ways", {96, 96}, {96, 96}, 1, 1, 400, 300},
      {"150 %, scaled, cut at the bottom", {144, 144}, {96, 96}, 3, 2, 0, 250},
      {"200 %, scaled, cut at the bottom", {192, 192}, {96, 96}, 2, 1, 0, 300},
      {"150 %, scaled, read in the host's pixels, cut at the bottom", {144, 144}, {96, 96}, 1, 1, 0, 250},
      {"144 dpi, not scaled, cut at the bottom", {144, 144}, {144, 144}, 1, 1, 0, 500},
      {"144 dpi, not scaled, cut both ways", {144, 144}, {144, 144}, 1, 1, 700, 500},
  };
  for (const System& system : systems) {
    SCOPED_TRACE(system.name);
    // The host: its client area from the table, cut by the screen; items laid out in it.
    const PixelRect table = ClientPixels(kForm[0], system.host);
    const int hostWidth = system.cutWidth ? std::min(system.cutWidth, table.width) : table.width;
    const int hostHeight = system.cutHeight ? std::min(system.cutHeight, table.height) : table.height;
    // The survey reads it scaled.
    const int seenWidth = Scaled(hostWidth, system);
    const int seenHeight = Scaled(hostHeight, system);
    const FormScale scale = FindFormScale(kForm[0], system.survey, seenWidth, seenHeight);
    for (std::size_t i = 1; i < std::size(kForm); ++i) {
      const ItemRecord& item = kForm[i];
      SCOPED_TRACE(std::string(item.name.begin(), item.name.end()));
      const PixelRect shown =
          ScaledRect(AlignedPixels(item, ItemPixels(item, system.host), hostWidth, hostHeight), system);
      const PixelRect found = SeenItemPixels(scale, item, seenWidth, seenHeight);
      EXPECT_NEAR(found.left, shown.left, 1);
      EXPECT_NEAR(found.top, shown.top, 1);
      EXPECT_NEAR(found.left + found.width, shown.left + shown.width, 1);
      EXPECT_NEAR(found.top + found.height, shown.top + shown.height, 1);
      // The centre the survey looks at lies on the item.
      const int x = found.left + found.width / 2;
      const int y = found.top + found.height / 2;
      EXPECT_TRUE(x >= shown.left && x < shown.left + shown.width && y >= shown.top && y < shown.top + shown.height)
          << "centre " << x << ", " << y;
    }
  }
}

TEST(FormScale, AtTheTablesOwnSizeNothingIsScaled) {
  // What the survey did before at 96 dpi, unchanged: the places are the shell's own.
  const FormScale at96 = FindFormScale(kForm[0], {96, 96}, 480, 360);
  EXPECT_EQ(at96, (FormScale{{96, 96}}));
  for (std::size_t i = 1; i < std::size(kForm); ++i) {
    EXPECT_EQ(SeenItemPixels(at96, kForm[i], 480, 360), AlignedPixels(kForm[i], ItemPixels(kForm[i], {96, 96}), 480, 360));
  }
  EXPECT_EQ(FindFormScale(kForm[0], {144, 144}, 720, 540), (FormScale{{144, 144}}));
  // At 150 % a host the system scales, read in its own pixels: laid out at 96, not scaled.
  EXPECT_EQ(FindFormScale(kForm[0], {144, 144}, 480, 360), (FormScale{{96, 96}}));
  // Scaled by 125 %: from 96, by what is seen.
  EXPECT_EQ(FindFormScale(kForm[0], {144, 144}, 600, 450), (FormScale{{96, 96}, 600, 480, 450, 360}));
  // A window read with no client area (minimised): the survey's own DPI, as before.
  EXPECT_EQ(FindFormScale(kForm[0], {120, 120}, 0, 0), (FormScale{{120, 120}}));
}

}  // namespace
