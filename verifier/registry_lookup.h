// Type-library registration lookup: which version of a type library is registered, under which
// locale, and which file its registration names as the 32-bit server. Every absence ends in an
// empty text or a flag, never in a message.
#pragma once

#include "verifier/verifier_os.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kit::verifier {

// A number in the plain decimal form with a dot ("0", "9", "2.1", "-1"), whatever the user's
// regional settings, as a single-precision value; nothing for any other text.
std::optional<float> ParseVersionNumber(const std::wstring& text);

// A REG_DWORD's number from its data bytes, least significant first (up to four bytes).
std::uint32_t DwordFromBytes(std::string_view data);

// One registry value of `key` (opened read-only) through a buffer of `capacity` bytes: false when
// the key cannot be opened or the value not read (absent, or longer than the buffer). `type` is
// the value's type; `text` a REG_DWORD's decimal number, or any other value's data in the ANSI
// code page up to its first NUL (kit::StoredString). Both are left alone on false.
bool ReadValueText(VerifierOs& os, std::int32_t root, const std::wstring& key, const std::wstring& name,
                   std::size_t capacity, std::uint32_t& type, std::wstring& text);

// One registry value as text (ReadValueText), empty when absent. `root` is a predefined root as a
// signed 32-bit number; any other number makes no call.
std::wstring ReadRegValue(VerifierOs& os, std::int32_t root, const std::wstring& key, const std::wstring& name);

// The subkey of `key` named exactly `wanted`, or else the one with the highest number (a later
// equal number wins, negatives never), or empty. `root` is the decimal text of a predefined root.
std::wstring FindSubKey(VerifierOs& os, std::wstring root, std::wstring key, std::wstring wanted);

struct Registration {
  std::wstring serverPath;
  bool notRegistered = false;
  bool mismatch = false;
};

// The lookup for one type-library identifier. `expectedVersion` is replaced by the registered
// version whenever the two texts differ.
Registration LookUpRegistration(VerifierOs& os, const std::wstring& typeLibId, std::wstring& expectedVersion);

}  // namespace kit::verifier
