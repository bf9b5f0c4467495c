// Numbers as text, by the kit's own few lines: the C runtime's formatter of the toolchain would
// bring its whole floating-point printer into every program for the sake of a few integers.
#pragma once

#include <concepts>
#include <string>

namespace kit {

// `magnitude` in `base` (2 to 16), at least `width` digits (zeros in front), with a minus sign
// before them when `negative`; hexadecimal digits in upper case when `upper`.
std::wstring NumberText(unsigned long long magnitude, bool negative, unsigned base, int width, bool upper);

// Decimal, at least `width` digits: Decimal(-7) is "-7", Decimal(5u, 2) is "05".
template <std::integral T>
std::wstring Decimal(T value, int width = 0) {
  const bool negative = value < T{};
  const auto magnitude = static_cast<unsigned long long>(value);
  return NumberText(negative ? 0ull - magnitude : magnitude, negative, 10, width, false);
}

inline std::wstring Hex(unsigned long long value, int width, bool upper = true) {
  return NumberText(value, false, 16, width, upper);
}

// A non-negative amount with two decimals: the double times 100, plus one half, cut to a whole
// number. A half that the double holds exactly rounds up (0.125 reads "0.13", 2 reads "2.00"); a
// decimal half it cannot hold is rounded from the binary value it holds, so 1.005 (stored as
// 1.00499999...) reads "1.00", and the product's own rounding may turn others either way.
std::wstring Hundredths(double value);

// Text of ASCII digits, signs and points as a narrow string.
std::string Ascii(const std::wstring& text);

}  // namespace kit
