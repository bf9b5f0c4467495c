// Version text from the two halves of the fixed file information.
#include "verifier/version_text.h"

namespace kit::verifier {

std::wstring FormatFileVersion(std::uint32_t mostSignificant, std::uint32_t leastSignificant) {
  return std::to_wstring(HiWord(mostSignificant)) + L"." + std::to_wstring(LoWord(mostSignificant)) + L"." +
         std::to_wstring(HiWord(leastSignificant)) + L"." + std::to_wstring(LoWord(leastSignificant));
}

std::wstring GetFileVersionText(VerifierOs& os, const std::wstring& path) {
  const auto version = os.ReadFileVersion(path);
  if (!version) return {};
  return FormatFileVersion(version->first, version->second);
}

}  // namespace kit::verifier
