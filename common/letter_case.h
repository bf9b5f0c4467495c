// Portable. Names compared as Windows compares them: without regard to letter case.
#pragma once

#include <string>
#include <string_view>

namespace kit {

std::wstring Lower(std::wstring_view text);
bool SameNoCase(std::wstring_view a, std::wstring_view b);
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);

}  // namespace kit
