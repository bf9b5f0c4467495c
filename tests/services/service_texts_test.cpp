// The service probes' message texts and the choice of an error's description, natively.
#include "probes/services/common/service_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace {
using namespace kit::services;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(ServiceTexts, MessagesReadExactly) {
  EXPECT_EQ(kTestOk, L"Test ok");
  EXPECT_EQ(kTestFailed, L"Test failed");
  EXPECT_EQ(kTestOkLibrary, L"Test OK");
  EXPECT_EQ(FailedWithDescription(L"Access is denied."), L"Test failed: Access is denied.");
  EXPECT_EQ(StepFailed(1, L"Class not registered (0x80040154)"), L"Test 1 failed: Class not registered (0x80040154)");
  EXPECT_EQ(StepFailed(2, L"x"), L"Test 2 failed: x");
}

TEST(ServiceTexts, LoadLibFailureReservesASignPlace) {
  EXPECT_EQ(LoadLibFailure(L"VEL_Intel_Win32.dll", 0), L" Loadlib error return for VEL_Intel_Win32.dll :  0");
  EXPECT_EQ(LoadLibFailure(L"a.dll", 1234), L" Loadlib error return for a.dll :  1234");
  EXPECT_EQ(LoadLibFailure(L"a.dll", -5), L" Loadlib error return for a.dll : -5");
}

TEST(ServiceTexts, DescriptionPrefersTheComponentThenTheSystemThenTheCode) {
  EXPECT_EQ(DescribeStepFailure(0x80004005u, L"Database already exists.", L"Unspecified error"),
            L"Database already exists.");
  EXPECT_EQ(DescribeStepFailure(0x80070005u, L"", L"Access is denied.\r\n"), L"Access is denied.");
  // Blank or NUL-only component text counts as none.
  EXPECT_EQ(DescribeStepFailure(0x80070005u, std::wstring(L" \0 junk", 7), L"Access is denied."), L"Access is denied.");
  EXPECT_EQ(DescribeStepFailure(0x80040154u, L"", L""), L"Class not registered (0x80040154)");
  EXPECT_EQ(DescribeStepFailure(0x80041234u, L"\r\n", L"  "), L"Error 0x80041234");
}

TEST(ServiceTexts, DescriptionKeepsWideCharactersAndCutsLongTexts) {
  const std::wstring wide = L"\u041e\u0448\u0438\u0431\u043a\u0430 \u2603 \U0001F600";
  EXPECT_EQ(DescribeStepFailure(1, wide, L""), wide);

  const std::wstring longText(5000, L'x');
  const std::wstring cut = DescribeStepFailure(1, longText, L"");
  EXPECT_EQ(cut.size(), kMaxDescription + 3) << Narrow(cut.substr(0, 40));
  EXPECT_EQ(cut.substr(cut.size() - 4), L"x...");

  // A cut that would split a surrogate pair drops its first half.
  std::wstring pairs(kMaxDescription - 1, L'y');
  // UTF-16 code units, as on Windows, whatever the width of wchar_t here.
  for (int i = 0; i < 2; ++i) pairs += {wchar_t(0xD83D), wchar_t(0xDE00)};
  const std::wstring pairCut = DescribeStepFailure(1, pairs, L"");
  EXPECT_EQ(pairCut, std::wstring(kMaxDescription - 1, L'y') + L"...");
}

TEST(ServiceTexts, OnlyPlainAndReadOnlyFilesCountAsFound) {
  constexpr std::uint32_t kReadOnly = 0x1, kArchive = 0x20, kNormal = 0x80;
  EXPECT_TRUE(CountsAsPlainFile(kNormal));
  EXPECT_TRUE(CountsAsPlainFile(kArchive));
  EXPECT_TRUE(CountsAsPlainFile(kReadOnly | kArchive));
  EXPECT_FALSE(CountsAsPlainFile(kArchive | kAttributeHidden));
  EXPECT_FALSE(CountsAsPlainFile(kArchive | kAttributeSystem));
  EXPECT_FALSE(CountsAsPlainFile(kAttributeDirectory));
}

}  // namespace
