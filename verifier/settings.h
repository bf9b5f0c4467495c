// What sets the two verifier programs apart: the component table, the log file's name, the
// window's client size and its font. Everything else is common to both.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kit::verifier {

struct VerifierSettings {
  std::span<const std::wstring_view> components{};  // file names, in report order
  std::wstring_view logFileName{};
  std::int32_t clientWidth = 0;   // twips
  std::int32_t clientHeight = 0;  // twips
  std::wstring_view fontFace{};
  double fontPoints = 8.0;
  bool fontBold = false;
};

// Both variants open with their client area here, in screen twips.
inline constexpr std::int32_t kWindowLeft = 320;
inline constexpr std::int32_t kWindowTop = 740;

const VerifierSettings& DravonSettings();
const VerifierSettings& HalvardSettings();

}  // namespace kit::verifier
