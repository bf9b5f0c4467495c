// Portable. A PNG encoder for the survey's pictures: 24-bit RGB, one zlib stream compressed with
// deflate's fixed Huffman codes and LZ77 matching. The programs import no compression library, and
// window pictures (flat colours, repeated rows) compress well enough this way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kit::survey {

// `rgb` holds width*height pixels, three bytes each (red, green, blue), rows top to bottom.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

// The raw deflate stream of `data` (no zlib header), one final block with fixed codes.
std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& data);

std::string Base64(const std::vector<std::uint8_t>& bytes);

}  // namespace kit::survey
