// Numbers as text: the kit's own formatter against what printf would write.
#include "common/number_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

TEST(NumberText, WritesWhatPrintfWould) {
  const struct {
    std::wstring got;
    const wchar_t* expected;
  } cases[] = {
      {kit::Decimal(0), L"0"},
      {kit::Decimal(-7), L"-7"},
      {kit::Decimal(LLONG_MIN), L"-9223372036854775808"},
      {kit::Decimal(ULLONG_MAX), L"18446744073709551615"},
      {kit::Decimal(std::int16_t{-32768}), L"-32768"},
      {kit::Decimal(5u, 2), L"05"},
      {kit::Decimal(2026, 4), L"2026"},
      {kit::Decimal(123, 2), L"123"},
      {kit::Hex(0x8007000Eu, 8), L"8007000E"},
      {kit::Hex(0xABu, 2, false), L"ab"},
      {kit::Hex(0x5u, 2, false), L"05"},
      {kit::Hundredths(0), L"0.00"},
      {kit::Hundredths(2), L"2.00"},
      {kit::Hundredths(13.906), L"13.91"},
      {kit::Hundredths(0.004), L"0.00"},
      {kit::Hundredths(0.125), L"0.13"},
      {kit::Hundredths(1.005), L"1.00"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
}

}  // namespace
