// Portable. The survey's pictures as PNG for the report page: 24-bit RGB, encoded by the stb image
// writer (a single header compiled into the survey, so the programs import no compression library).
#pragma once

#include "report/survey_result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kit::report {

// `rgb` holds width*height pixels, three bytes each (red, green, blue), rows top to bottom.
// Empty when the picture cannot be encoded (no pixels, or memory ran out).
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

// The picture's pixels as PNG, in place of the pixels.
void EncodePicture(Picture& picture);

std::string Base64(const std::vector<std::uint8_t>& bytes);

}  // namespace kit::report
