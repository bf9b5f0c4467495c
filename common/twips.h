// Twips (1/1440 inch) to device pixels and HIMETRIC (0.01 mm). Every position and size in the
// kit's descriptions is in twips; the screen's dots per inch decide the pixels (15 twips a pixel
// at 96 dpi).
#pragma once

#include <cstdint>

namespace kit {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kHimetricPerInch = 2540;

// Rounds to the nearest pixel, halves away from zero, so that a rectangle and its mirror image
// come out the same size.
int TwipsToPixels(std::int32_t twips, int dotsPerInch);
std::int32_t PixelsToTwips(int pixels, int dotsPerInch);
// Twips to HIMETRIC, rounded to the nearest unit, halves away from zero.
std::int32_t TwipsToHimetric(std::int32_t twips);

}  // namespace kit
