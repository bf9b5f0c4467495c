// Error numbers and descriptions: a message never shows an empty description.
#include "common/error_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorText, NumbersAreDecimalForSystemCodesAndHexForComCodes) {
  EXPECT_EQ(kit::FormatErrorNumber(2), L"2");
  EXPECT_EQ(kit::FormatErrorNumber(0), L"0");
  EXPECT_EQ(kit::FormatErrorNumber(0x80040154u), L"0x80040154");
  EXPECT_EQ(kit::FormatErrorNumber(0x800A0005u), L"0x800A0005");
}

TEST(ErrorText, SystemTextIsTrimmedOfLineBreaks) {
  EXPECT_EQ(kit::DescribeFailure(2, L"The system cannot find the file specified.\r\n"),
            L"The system cannot find the file specified.");
  EXPECT_EQ(kit::DescribeFailure(2, L"  padded text \t\r\n"), L"padded text");
}

TEST(ErrorText, MissingSystemTextFallsBackToANameOrTheNumber) {
  EXPECT_EQ(kit::DescribeFailure(0x80040154u, L""), L"Class not registered (0x80040154)");
  EXPECT_EQ(kit::DescribeFailure(0x80040154u, L"\r\n"), L"Class not registered (0x80040154)");
  EXPECT_EQ(kit::DescribeFailure(0x8002801Du, L""), L"Library not registered (0x8002801D)");
  EXPECT_EQ(kit::DescribeFailure(0x8004ABCDu, L""), L"Error 0x8004ABCD");
  EXPECT_EQ(kit::DescribeFailure(1234, L" "), L"Error 1234");
}

TEST(ErrorText, ReportCarriesNumberAndDescription) {
  EXPECT_EQ(kit::FormatErrorReport(0x80004005u, L"Unspecified error"), L"Error 0x80004005\r\n\r\nUnspecified error");
}

}  // namespace
