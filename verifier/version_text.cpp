// Version text from the two halves of the fixed file information.
#include "verifier/version_text.h"

#include "common/number_text.h"

namespace kit::verifier {

std::wstring FormatFileVersion(std::uint32_t mostSignificant, std::uint32_t leastSignificant) {
  return kit::Decimal(HiWord(mostSignificant)) + L"." + kit::Decimal(LoWord(mostSignificant)) + L"." +
         kit::Decimal(HiWord(leastSignificant)) + L"." + kit::Decimal(LoWord(leastSignificant));
}

std::wstring GetFileVersionText(VerifierOs& os, const std::wstring& path) {
  const auto version = os.ReadFileVersion(path);
  if (!version) return {};
  return FormatFileVersion(version->first, version->second);
}

}  // namespace kit::verifier
