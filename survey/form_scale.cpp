// The scale of a host's form as the survey reads it: plain arithmetic on sizes, in 64-bit integers.
#include "survey/form_scale.h"

#include <cstdint>
#include <cstdlib>

namespace kit::survey {
namespace {

using shell::Dpi;
using shell::PixelRect;

constexpr Dpi kUnscaled{96, 96};  // what the system shows a program that it scales

// v * seen / laid, rounded to the nearest pixel, halves away from zero (as twips are).
int Scale(int v, int seen, int laid) {
  const std::int64_t product = std::int64_t{v} * seen;
  const std::int64_t half = laid / 2;
  return static_cast<int>(product >= 0 ? (product + half) / laid : -((-product + half) / laid));
}

bool Within(int seenWidth, int seenHeight, const PixelRect& table) {
  return seenWidth <= table.width && seenHeight <= table.height;
}

}  // namespace

FormScale FindFormScale(const shell::ItemRecord& window, Dpi survey, int seenWidth, int seenHeight) {
  // Laid out at the survey's DPI or at 96, and not scaled: the table's size, one axis perhaps cut.
  for (const Dpi dpi : {survey, kUnscaled}) {
    const PixelRect table = shell::ClientPixels(window, dpi);
    if (Within(seenWidth, seenHeight, table) && (seenWidth == table.width || seenHeight == table.height)) {
      return {dpi};
    }
  }
  const PixelRect table = shell::ClientPixels(window, kUnscaled);
  if (table.width <= 0 || table.height <= 0 || seenWidth <= 0 || seenHeight <= 0) return {survey};
  // The axis with the larger scale is the one the screen cut less (or not at all).
  const std::int64_t acrossX = std::int64_t{seenWidth} * table.height;
  const std::int64_t acrossY = std::int64_t{seenHeight} * table.width;
  const bool byWidth = acrossX >= acrossY;
  const int seen = byWidth ? seenWidth : seenHeight;
  const int laid = byWidth ? table.width : table.height;
  // No system scales a form down: smaller than its size at 96 both ways, it was laid out at 96 and cut.
  if (seen <= laid) return {kUnscaled};
  // The same scale both ways, within a pixel each: the whole form, scaled by the system.
  if (std::llabs(acrossX - acrossY) <= table.width + table.height) {
    return {kUnscaled, seenWidth, table.width, seenHeight, table.height};
  }
  // Cut in both axes: laid out at the survey's DPI when that explains it, else scaled as the less cut axis shows.
  if (Within(seenWidth, seenHeight, shell::ClientPixels(window, survey))) return {survey};
  return {kUnscaled, seen, laid, seen, laid};
}

PixelRect SeenItemPixels(const FormScale& scale, const shell::ItemRecord& item, int seenClientWidth,
                         int seenClientHeight) {
  const PixelRect laid = shell::ItemPixels(item, scale.layout);
  // Each edge scaled on its own, as the system scales the window's picture.
  const int left = Scale(laid.left, scale.seenX, scale.laidX);
  const int top = Scale(laid.top, scale.seenY, scale.laidY);
  const PixelRect seen{left, top, Scale(laid.left + laid.width, scale.seenX, scale.laidX) - left,
                       Scale(laid.top + laid.height, scale.seenY, scale.laidY) - top};
  return shell::AlignedPixels(item, seen, seenClientWidth, seenClientHeight);
}

}  // namespace kit::survey
