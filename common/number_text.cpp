// Numbers as text without the C runtime's formatter.
#include "common/number_text.h"

namespace kit {
namespace {

// Divides `value` by `base` in place and returns the remainder: a long division in 16-bit steps,
// in 32-bit arithmetic only, so that no program carries the compiler's 64-bit division helpers
// for the sake of its numbers.
unsigned DivideInPlace(unsigned long long& value, unsigned base) {
  unsigned long long quotient = 0;
  unsigned remainder = 0;
  for (int shift = 48; shift >= 0; shift -= 16) {
    const unsigned part = (remainder << 16) | static_cast<unsigned>((value >> shift) & 0xFFFFu);
    quotient |= static_cast<unsigned long long>(part / base) << shift;
    remainder = part % base;
  }
  value = quotient;
  return remainder;
}

}  // namespace

std::wstring NumberText(unsigned long long magnitude, bool negative, unsigned base, int width, bool upper) {
  const wchar_t* digits = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
  wchar_t text[80];
  wchar_t* end = text + std::size(text);
  wchar_t* first = end;
  do {
    *--first = digits[DivideInPlace(magnitude, base)];
  } while (magnitude != 0);
  while (end - first < width && first > text + 1) *--first = L'0';
  if (negative) *--first = L'-';
  return std::wstring(first, end);
}

std::wstring Hundredths(double value) {
  const auto hundredths = static_cast<unsigned long long>(value < 0 ? 0 : value * 100 + 0.5);
  unsigned long long whole = hundredths;
  const unsigned cents = DivideInPlace(whole, 100);
  return Decimal(whole) + L"." + Decimal(cents, 2);
}

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace kit
