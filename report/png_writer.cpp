// Portable. PNG encoding through the stb image writer, into memory; Base64 for the page's data URLs.
#include "report/png_writer.h"

#include <stb_image_write.h>

namespace kit::report {
namespace {

constexpr int kRgbComponents = 3;
// Window pictures are flat colours and rows that repeat. Unfiltered, a row finds the row above as
// its match; stb's own choice of filter per row leaves 12 % more to store on the kit's window
// pictures and takes half as long again. A longer search for each match than stb's level 8 (16)
// takes 3 % more off for 75 % more time: not worth the engineer's wait.
constexpr int kNoFilter = 0;
constexpr int kCompressionLevel = 8;

// The writer's settings are process-wide variables of stb: set once, before the first picture.
void TuneOnce() {
  static const bool tuned = [] {
    stbi_write_force_png_filter = kNoFilter;
    stbi_write_png_compression_level = kCompressionLevel;
    return true;
  }();
  (void)tuned;
}

// stb hands the encoded file over in pieces.
void Append(void* context, void* data, int size) {
  auto& png = *static_cast<std::vector<std::uint8_t>*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  png.insert(png.end(), bytes, bytes + size);
}

}  // namespace

std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb) {
  std::vector<std::uint8_t> png;
  const std::size_t stride = static_cast<std::size_t>(width) * kRgbComponents;
  if (width <= 0 || height <= 0 || rgb.size() < stride * static_cast<std::size_t>(height)) return png;
  TuneOnce();
  if (!stbi_write_png_to_func(Append, &png, width, height, kRgbComponents, rgb.data(), static_cast<int>(stride))) {
    png.clear();
  }
  return png;
}

void EncodePicture(Picture& picture) {
  if (picture.rgb.empty()) return;
  picture.png = EncodePng(picture.width, picture.height, picture.rgb);
  picture.rgb = {};
}

std::string Base64(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::uint32_t b0 = bytes[i];
    const std::uint32_t b1 = i + 1 < bytes.size() ? bytes[i + 1] : 0;
    const std::uint32_t b2 = i + 2 < bytes.size() ? bytes[i + 2] : 0;
    const std::uint32_t v = (b0 << 16) | (b1 << 8) | b2;
    text += kAlphabet[(v >> 18) & 63];
    text += kAlphabet[(v >> 12) & 63];
    text += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=';
    text += i + 2 < bytes.size() ? kAlphabet[v & 63] : '=';
  }
  return text;
}

}  // namespace kit::report
