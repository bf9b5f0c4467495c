// Twips arithmetic in 64-bit integers: no overflow for any 32-bit twips value and no floating
// point rounding surprises.
#include "common/twips.h"

#include <cstdlib>

namespace kit {
namespace {

std::int64_t DivideRounded(std::int64_t numerator, std::int64_t denominator) {
  const std::int64_t half = denominator / 2;
  return numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator);
}

}  // namespace

int TwipsToPixels(std::int32_t twips, int dotsPerInch) {
  return static_cast<int>(DivideRounded(std::int64_t{twips} * dotsPerInch, kTwipsPerInch));
}

std::int32_t PixelsToTwips(int pixels, int dotsPerInch) {
  if (dotsPerInch <= 0) return 0;
  return static_cast<std::int32_t>(DivideRounded(std::int64_t{pixels} * kTwipsPerInch, dotsPerInch));
}

std::int32_t TwipsToHimetric(std::int32_t twips) {
  return static_cast<std::int32_t>(DivideRounded(std::int64_t{twips} * kHimetricPerInch, kTwipsPerInch));
}

}  // namespace kit
