// Portable. The text a registry string value holds. The registry keeps the bytes it was handed:
// a string may be stored with its terminating NUL or without it, and whatever follows the first
// NUL (a second string, left-over buffer) is no part of the text.
#pragma once

#include <string_view>

namespace kit {

inline std::string_view StoredString(std::string_view data) { return data.substr(0, data.find('\0')); }
inline std::wstring_view StoredString(std::wstring_view data) { return data.substr(0, data.find(L'\0')); }

}  // namespace kit
