// The common Win32 helpers against Wine's real system: error texts, the ANSI and UTF-8 crossings
// and whole files read.
#include "common/ansi_text.h"
#include "common/utf8_text.h"
#include "common/owners.h"
#include "common/system_error.h"
#include "common/whole_file.h"
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

TEST(Utf8Text, CarriesEveryCharacterBothWays) {
  const std::wstring text = L"Ca\u00f1\u00f3n \u65e5\u672c \U0001F600";
  const std::string utf8 = "Ca\xC3\xB1\xC3\xB3n \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
  EXPECT_EQ(kit::ToUtf8(text), utf8);
  EXPECT_TRUE(kit::FromUtf8(utf8) == text);
  EXPECT_EQ(kit::ToUtf8(L""), "");
  EXPECT_TRUE(kit::FromUtf8("").empty());
}

TEST(WholeFile, ReadsWhatAWriterStillHoldsOpenUpToTheLimit) {
  wchar_t folder[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
  const std::wstring path = std::wstring(folder) + L"kit_whole_file_test.bin";
  // Larger than one piece of the read, with a NUL inside.
  std::string bytes(40000, 'k');
  bytes[20000] = '\0';
  const kit::UniqueFile writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer) << GetLastError();
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(writer.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  const std::string read = kit::ReadWholeFile(path);
  EXPECT_EQ(read.size(), bytes.size());
  EXPECT_TRUE(read == bytes) << "the bytes differ";
  EXPECT_EQ(kit::ReadWholeFile(path, bytes.size()).size(), bytes.size()) << "a file of the limit's size is read";
  EXPECT_EQ(kit::ReadWholeFile(path, bytes.size() - 1).size(), 0u) << "a larger one is not";
  EXPECT_EQ(kit::ReadWholeFile(path + L".absent").size(), 0u);
  DeleteFileW(path.c_str());
}

}  // namespace
