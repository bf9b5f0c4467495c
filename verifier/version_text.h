// The version text of a file from its version resource: four dot-separated numbers taken from
// the file version of the fixed file information, or empty.
#pragma once

#include "verifier/verifier_os.h"

#include <cstdint>
#include <string>

namespace kit::verifier {

// Bits 16 to 31 and bits 0 to 15 of x, as numbers from 0 to 65535.
constexpr std::uint32_t HiWord(std::uint32_t x) { return x >> 16; }
constexpr std::uint32_t LoWord(std::uint32_t x) { return x & 0xFFFFu; }

// "6.0.8169.0" from the two 32-bit halves of a file version.
std::wstring FormatFileVersion(std::uint32_t mostSignificant, std::uint32_t leastSignificant);

std::wstring GetFileVersionText(VerifierOs& os, const std::wstring& path);

}  // namespace kit::verifier
