// Win32-only. A class identifier from its registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// at compile time: the catalogue writes each class once as text, and code that creates or serves
// the class takes its GUID from there. A malformed text does not compile.
#pragma once

#include "common/win32.h"

#include <string_view>

namespace kit {
namespace detail {

// Not constexpr: reaching it in a constant evaluation is the compile error a malformed text gives.
void MalformedClassId();

consteval unsigned HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return static_cast<unsigned>(c - L'0');
  if (c >= L'A' && c <= L'F') return static_cast<unsigned>(c - L'A' + 10);
  if (c >= L'a' && c <= L'f') return static_cast<unsigned>(c - L'a' + 10);
  MalformedClassId();
  return 0;
}

consteval unsigned long HexField(std::wstring_view text, std::size_t at, std::size_t digits) {
  unsigned long value = 0;
  for (std::size_t i = 0; i < digits; ++i) value = value * 16 + HexDigit(text[at + i]);
  return value;
}

}  // namespace detail

consteval GUID ClassIdFromText(std::wstring_view text) {
  if (text.size() != 38 || text[0] != L'{' || text[9] != L'-' || text[14] != L'-' || text[19] != L'-' ||
      text[24] != L'-' || text[37] != L'}') {
    detail::MalformedClassId();
  }
  GUID guid{};
  guid.Data1 = detail::HexField(text, 1, 8);
  guid.Data2 = static_cast<unsigned short>(detail::HexField(text, 10, 4));
  guid.Data3 = static_cast<unsigned short>(detail::HexField(text, 15, 4));
  guid.Data4[0] = static_cast<unsigned char>(detail::HexField(text, 20, 2));
  guid.Data4[1] = static_cast<unsigned char>(detail::HexField(text, 22, 2));
  for (std::size_t i = 0; i < 6; ++i) guid.Data4[2 + i] = static_cast<unsigned char>(detail::HexField(text, 25 + 2 * i, 2));
  return guid;
}

}  // namespace kit
