// Reading the data-access version.
#include "verifier/mdac_line.h"

#include "verifier/registry_lookup.h"

#include <utility>

namespace kit::verifier {
namespace {

constexpr std::size_t kDataBuffer = 1024;

}  // namespace

bool GetKeyValue(VerifierOs& os, std::int32_t KeyRoot, const std::wstring& KeyName, const std::wstring& SubKeyRef,
                 std::wstring& KeyVal) {
  std::uint32_t type = 0;
  std::wstring text;
  if (!ReadValueText(os, KeyRoot, KeyName, SubKeyRef, kDataBuffer, type, text)) {
    KeyVal.clear();
    return false;
  }
  if (type == kRegDword || type == kRegSz) KeyVal = std::move(text);
  return true;
}

std::wstring GetMdacVersion(VerifierOs& os) {
  std::wstring value;
  if (GetKeyValue(os, kLocalMachine, kMdacKey, kMdacValue, value)) return value;
  return L"N/A";
}

}  // namespace kit::verifier
