// The report's closing line: the installed version of the data-access components as the
// registry records it, read with a general reader of one registry value.
#pragma once

#include "verifier/verifier_os.h"

#include <cstdint>
#include <string>

namespace kit::verifier {

inline constexpr wchar_t kMdacKey[] = L"SOFTWARE\\Microsoft\\DataAccess";
inline constexpr wchar_t kMdacValue[] = L"FullInstallVer";

// True when the value was read. On false `KeyVal` is empty; on true it holds the value's text
// (REG_SZ up to its first NUL, REG_DWORD as its decimal number: ReadValueText) or, for types not
// converted, what the caller passed. The key is opened read-only.
bool GetKeyValue(VerifierOs& os, std::int32_t KeyRoot, const std::wstring& KeyName, const std::wstring& SubKeyRef,
                 std::wstring& KeyVal);

// The version text, an empty text for a value of a type not converted, or "N/A".
std::wstring GetMdacVersion(VerifierOs& os);

}  // namespace kit::verifier
