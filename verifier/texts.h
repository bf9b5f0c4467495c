// Small text rules the verifier shares: trimming as the report does it (spaces only) and the
// system's message text for an error code.
#pragma once

#include "verifier/verifier_os.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kit::verifier {

// Leading and trailing spaces removed; tabs and line ends are kept.
std::wstring TrimSpaces(std::wstring_view text);

// The system's message for `code` without its line end; "Error " and the code in decimal when
// the system has no text for it.
std::wstring GetErrorText(VerifierOs& os, std::uint32_t code);

}  // namespace kit::verifier
