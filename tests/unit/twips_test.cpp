// Twips to pixels and HIMETRIC: the arithmetic every position on screen goes through.
#include "common/twips.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

TEST(Twips, FifteenTwipsMakeOnePixelAt96Dpi) {
  EXPECT_EQ(kit::TwipsToPixels(1670, 96), 111);  // 111.33
  EXPECT_EQ(kit::TwipsToPixels(1080, 96), 72);
  EXPECT_EQ(kit::TwipsToPixels(1065, 96), 71);
  EXPECT_EQ(kit::TwipsToPixels(375, 96), 25);
  EXPECT_EQ(kit::TwipsToPixels(15, 96), 1);
  EXPECT_EQ(kit::TwipsToPixels(0, 96), 0);
}

TEST(Twips, RoundsHalvesAwayFromZeroAndSymmetrically) {
  EXPECT_EQ(kit::TwipsToPixels(7, 96), 0);    // 0.47
  EXPECT_EQ(kit::TwipsToPixels(8, 96), 1);    // 0.53
  EXPECT_EQ(kit::TwipsToPixels(30, 48), 1);   // exactly 1.0
  EXPECT_EQ(kit::TwipsToPixels(45, 48), 2);   // exactly 1.5 rounds up
  EXPECT_EQ(kit::TwipsToPixels(-45, 48), -2);  // and its mirror down
  EXPECT_EQ(kit::TwipsToPixels(-1670, 96), -111);
}

TEST(Twips, OtherScreenResolutions) {
  EXPECT_EQ(kit::TwipsToPixels(1440, 120), 120);  // 12 twips a pixel
  EXPECT_EQ(kit::TwipsToPixels(1670, 120), 139);  // 139.17
  EXPECT_EQ(kit::TwipsToPixels(1670, 144), 167);  // 10 twips a pixel
  EXPECT_EQ(kit::TwipsToPixels(1065, 192), 142);  // 7.5 twips a pixel
  EXPECT_EQ(kit::PixelsToTwips(111, 96), 1665);
  EXPECT_EQ(kit::PixelsToTwips(139, 120), 1668);
  EXPECT_EQ(kit::PixelsToTwips(5, 0), 0) << "a screen without a resolution must not divide by zero";
}

TEST(Twips, ExtremeValuesDoNotOverflow) {
  const std::int32_t big = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(kit::TwipsToPixels(big, 96), 143165576);  // 143165576.47
  EXPECT_EQ(kit::TwipsToPixels(std::numeric_limits<std::int32_t>::min(), 96), -143165577);  // -143165576.53
}

TEST(Twips, HimetricMatchesTheControlExtentsOfTheCatalogue) {
  // 1 twip = 2540/1440 HIMETRIC; these pairs are extents the control hosts hand their controls.
  EXPECT_EQ(kit::TwipsToHimetric(3280), 5786);
  EXPECT_EQ(kit::TwipsToHimetric(1630), 2875);
  EXPECT_EQ(kit::TwipsToHimetric(160), 282);
  EXPECT_EQ(kit::TwipsToHimetric(11980), 21131);
  EXPECT_EQ(kit::TwipsToHimetric(7630), 13458);
  EXPECT_EQ(kit::TwipsToHimetric(480), 847);
}

}  // namespace
