// Reading the data-access version.
#include "verifier/mdac_line.h"

#include "common/number_text.h"
#include "verifier/registry_lookup.h"

namespace kit::verifier {
namespace {

constexpr std::size_t kDataBuffer = 1024;

}  // namespace

bool GetKeyValue(VerifierOs& os, std::int32_t KeyRoot, const std::wstring& KeyName, const std::wstring& SubKeyRef,
                 std::wstring& KeyVal) {
  KeyHandle handle = 0;
  if (os.OpenKey(KeyRoot, KeyName, kKeyRead, handle) != kRegSuccess) {
    KeyVal.clear();
    return false;
  }
  OpenedKey opened(os, handle);
  std::string data(kDataBuffer, '\0');
  std::uint32_t type = 0;
  if (os.QueryValue(opened.get(), SubKeyRef, type, data) != kRegSuccess) {
    KeyVal.clear();
    return false;
  }
  if (type == kRegDword) {
    KeyVal = kit::Decimal(DwordFromBytes(data));
    return true;
  }
  // A value stored with its terminating NUL loses it; one stored without keeps its last character.
  if (!data.empty() && data.back() == '\0') data.pop_back();
  if (type == kRegSz) KeyVal = os.FromAnsiBytes(data);
  return true;
}

std::wstring GetMdacVersion(VerifierOs& os) {
  std::wstring value;
  if (GetKeyValue(os, kLocalMachine, kMdacKey, kMdacValue, value)) return value;
  return L"N/A";
}

}  // namespace kit::verifier
