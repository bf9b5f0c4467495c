// Numbers as text without the C runtime's formatter.
#include "common/number_text.h"

namespace kit {

std::wstring NumberText(unsigned long long magnitude, bool negative, unsigned base, int width, bool upper) {
  const wchar_t* digits = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
  wchar_t text[80];
  wchar_t* end = text + std::size(text);
  wchar_t* first = end;
  do {
    *--first = digits[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0);
  while (end - first < width && first > text + 1) *--first = L'0';
  if (negative) *--first = L'-';
  return std::wstring(first, end);
}

std::wstring Hundredths(double value) {
  const auto hundredths = static_cast<unsigned long long>(value < 0 ? 0 : value * 100 + 0.5);
  return Decimal(hundredths / 100) + L"." + Decimal(hundredths % 100, 2);
}

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace kit
