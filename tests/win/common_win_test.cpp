// The common Win32 helpers against Wine's real system: error texts and the ANSI crossing.
#include "common/ansi_text.h"
#include "common/system_error.h"
#include "common/win32.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemError, DescriptionsAreNeverEmpty) {
  const std::wstring missing = kit::DescribeError(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(missing.empty());
  EXPECT_NE(missing.back(), L'\n') << "line breaks are trimmed";
  // Wine has no text for this COM code; the kit names it itself.
  const std::wstring notRegistered = kit::DescribeError(0x80040154u);
  EXPECT_FALSE(notRegistered.empty());
  EXPECT_FALSE(kit::DescribeError(0x8004ABCDu).empty());
}

TEST(AnsiText, RoundTripsTheCodePageAndReplacesWhatItLacks) {
  EXPECT_EQ(kit::ToAnsi(L"C:\\Windows\\system32\\advpack.dll"), "C:\\Windows\\system32\\advpack.dll");
  EXPECT_EQ(kit::FromAnsi("DLLver.log"), L"DLLver.log");
  EXPECT_EQ(kit::ToAnsi(L""), "");
  EXPECT_EQ(kit::FromAnsi(""), L"");
  if (GetACP() == 1252) {
    EXPECT_EQ(kit::FromAnsi(kit::ToAnsi(L"caf\u00e9")), L"caf\u00e9");
    EXPECT_EQ(kit::ToAnsi(L"\u4e2d"), "?");
  }
}

}  // namespace
