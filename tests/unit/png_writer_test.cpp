// The survey's PNG pictures decode to the very pixels taken, and a window-like picture (flat
// colours, repeated rows) comes out small enough to embed in the report page.
#include "report/png_writer.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace {
using namespace kit::report;

// A window: grey face, a dark caption band, a white edit box with a few coloured "letters". The
// odd width leaves rows that are no multiple of four bytes.
std::vector<std::uint8_t> WindowPicture(int width, int height) {
  std::vector<std::uint8_t> rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      auto colour = std::to_array<std::uint8_t>({0xD4, 0xD0, 0xC8});
      if (y < 18) colour = {0x0A, 0x24, 0x6A};
      if (y > 40 && y < 60 && x > 10 && x < width - 10) colour = {0xFF, 0xFF, 0xFF};
      if (y > 45 && y < 55 && x > 14 && x < 90 && (x + y) % 4 == 0) colour = {static_cast<std::uint8_t>(x), 0x80, 0};
      rgb.insert(rgb.end(), colour.begin(), colour.end());
    }
  }
  return rgb;
}

TEST(SurveyPng, DecodesToThePixelsTakenAndKeepsAWindowSmall) {
  constexpr int kWidth = 243, kHeight = 184;
  const std::vector<std::uint8_t> rgb = WindowPicture(kWidth, kHeight);
  const std::vector<std::uint8_t> png = EncodePng(kWidth, kHeight, rgb);
  int width = 0, height = 0, components = 0;
  const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> decoded(
      stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &components, 0),
      stbi_image_free);
  ASSERT_NE(decoded, nullptr) << stbi_failure_reason();
  EXPECT_EQ(width, kWidth);
  EXPECT_EQ(height, kHeight);
  EXPECT_EQ(components, 3);
  EXPECT_EQ(std::vector<std::uint8_t>(decoded.get(), decoded.get() + rgb.size()), rgb);
  EXPECT_LT(png.size(), rgb.size() / 20) << png.size() << " bytes for " << rgb.size() << " bytes of pixels";

  EXPECT_TRUE(EncodePng(0, 0, {}).empty());
  EXPECT_TRUE(EncodePng(2, 2, {1, 2, 3}).empty());  // fewer pixels than the size says
}

TEST(SurveyPng, Base64OfEveryTailLength) {
  EXPECT_EQ(Base64({}), "");
  EXPECT_EQ(Base64({'M'}), "TQ==");
  EXPECT_EQ(Base64({'M', 'a'}), "TWE=");
  EXPECT_EQ(Base64({'M', 'a', 'n'}), "TWFu");
}

}  // namespace
