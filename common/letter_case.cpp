// Portable. Names compared without regard to letter case.
#include "common/letter_case.h"

#include <cwctype>

namespace kit {

std::wstring Lower(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  return lower;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::towlower(text[i]) != std::towlower(prefix[i])) return false;
  }
  return true;
}

bool SameNoCase(std::wstring_view a, std::wstring_view b) { return a.size() == b.size() && StartsWithNoCase(a, b); }

}  // namespace kit
