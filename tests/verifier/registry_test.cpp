// The registry walks: choosing a subkey, reading one value, the registration lookup's flags, and
// the data-access reader's decoding. Every key opened is closed again.
#include "fake_os.h"
#include "verifier/mdac_line.h"
#include "verifier/registry_lookup.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace kit::verifier::testing {
namespace {

const std::wstring kRoot = std::to_wstring(kClassesRoot);

class RegistryTest : public ::testing::Test {
protected:
  FakeKey& Under(const std::wstring& path) { return os.Key(kClassesRoot, path); }
  std::wstring Find(const std::wstring& wanted) { return FindSubKey(os, kRoot, L"TypeLib\\lib", wanted); }
  void Subkeys(std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* name : names) Under(L"TypeLib\\lib").Sub(name);
  }
  void TearDown() override { EXPECT_EQ(os.openKeys, 0) << "a key was left open"; }

  FakeOs os;
};

TEST_F(RegistryTest, FindSubKeyPrefersTheExactNameThenTheHighestNumber) {
  Subkeys({L"2.0", L"1.0"});
  EXPECT_EQ(Find(L"1.0"), L"1.0");
  EXPECT_EQ(Find(L"3.0"), L"2.0");
  EXPECT_EQ(Find(L"1.00"), L"2.0") << "no exact name: numbers decide, not closeness";
}

TEST_F(RegistryTest, FindSubKeyComparesNumbersAsNumbers) {
  Subkeys({L"1.9", L"1.10", L"-5", L"FLAGS", L"HELPDIR"});
  EXPECT_EQ(Find(L"0"), L"1.9");
  os.roots.clear();
  Subkeys({L"2", L"2.0", L"1"});
  EXPECT_EQ(Find(L"x"), L"2.0") << "a later equal number wins";
  os.roots.clear();
  Subkeys({L"-1", L"-2.5", L"FLAGS"});
  EXPECT_EQ(Find(L"0"), L"") << "negatives never qualify";
  os.roots.clear();
  Subkeys({L"0", L"409"});
  EXPECT_EQ(Find(L"0"), L"0");
  os.roots.clear();
  Subkeys({L"409", L"9"});
  EXPECT_EQ(Find(L"0"), L"409");
}

TEST_F(RegistryTest, FindSubKeyStopsAtTheFirstFailingEnumerationButKeepsWhatItSaw) {
  Subkeys({L"3.0", L"1.0", L"7.0", L"9.0"});
  Under(L"TypeLib\\lib").enumFailure = {{2, 234}};  // a name that does not fit
  EXPECT_EQ(Find(L"9.0"), L"3.0");
  // A name longer than the 255-character buffer ends the walk the same way.
  os.roots.clear();
  Subkeys({L"1.0"});
  Under(L"TypeLib\\lib").Sub(std::wstring(255, L'7'));
  Under(L"TypeLib\\lib").Sub(L"5.0");
  EXPECT_EQ(Find(L"0"), L"1.0");
}

TEST_F(RegistryTest, RootsOutsideThePredefinedRangeMakeNoCall) {
  Subkeys({L"1.0"});
  for (const std::wstring& root : {std::to_wstring(0x7FFFFFFF), std::wstring(L"-2147483649"), std::wstring(L"-2147483641"),
                                  std::wstring(L"0"), std::wstring(L"HKCR"), std::wstring(L"")}) {
    EXPECT_EQ(FindSubKey(os, root, L"TypeLib\\lib", L"1.0"), L"") << std::string(root.begin(), root.end());
  }
  EXPECT_EQ(ReadRegValue(os, 0x7FFFFFFF, L"TypeLib\\lib", L""), L"");
  EXPECT_EQ(ReadRegValue(os, kLastPredefinedRoot + 1, L"TypeLib\\lib", L""), L"");
  EXPECT_TRUE(os.calls.empty());
  EXPECT_EQ(FindSubKey(os, std::to_wstring(kLastPredefinedRoot), L"x", L"1"), L"");
  EXPECT_EQ(os.CallCount(L"OpenKey"), 1) << "the last predefined root is a root";
}

TEST_F(RegistryTest, ReadRegValueDecodesTheValue) {
  FakeKey& key = Under(L"k");
  key.values[L""] = TextValue("C:\\Windows\\System32\\stdole2.tlb");
  key.values[L"unterminated"] = {kRegSz, "abc"};
  key.values[L"two"] = {7, std::string("abc\0def\0\0", 9)};
  key.values[L"empty"] = {kRegSz, ""};
  key.values[L"dword"] = {kRegDword, std::string("\x39\x30\x00\x00", 4)};  // 12345
  key.values[L"big"] = {kRegDword, std::string("\xFF\xFF\xFF\xFF", 4)};
  key.values[L"fits"] = TextValue(std::string(254, 'a'));
  key.values[L"long"] = TextValue(std::string(255, 'a'));
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"k", L""), L"C:\\Windows\\System32\\stdole2.tlb");
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"k", L"unterminated"), L"abc") << "stored without its NUL";
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"k", L"two"), L"abc") << "what follows the first NUL is no part of it";
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"k", L"empty"), L"");
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"k", L"dword"), L"12345");
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"k", L"big"), L"4294967295");
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"k", L"fits").size(), 254u);
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"k", L"long"), L"");
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"k", L"absent"), L"");
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"nokey", L""), L"");
  for (std::uint32_t access : os.openAccess) EXPECT_EQ(access, kKeyRead);
}

TEST_F(RegistryTest, RegistrationLookupFlagsAndTheRewrittenVersion) {
  const std::wstring lib = L"TypeLib\\{guid}";
  Under(lib + L"\\1.00\\0\\win32").values[L""] = TextValue("C:\\a.tlb");
  std::wstring version = L"1.0";
  Registration got = LookUpRegistration(os, L"{guid}", version);
  EXPECT_FALSE(got.mismatch) << "1.00 equals 1.0 as a number";
  EXPECT_EQ(version, L"1.00");
  EXPECT_EQ(got.serverPath, L"") << "the value lies under Win32, not win32";

  Under(lib + L"\\1.00\\0\\Win32").values[L""] = TextValue("C:\\a.tlb");
  version = L"1.00";
  got = LookUpRegistration(os, L"{guid}", version);
  EXPECT_EQ(got.serverPath, L"C:\\a.tlb");
  EXPECT_FALSE(got.notRegistered);
  EXPECT_FALSE(got.mismatch);

  version = L"";  // no number expected: the texts differ, so it is a mismatch
  got = LookUpRegistration(os, L"{guid}", version);
  EXPECT_TRUE(got.mismatch);
  EXPECT_EQ(version, L"1.00");

  version = L"1.0";
  got = LookUpRegistration(os, L"{other}", version);
  EXPECT_TRUE(got.notRegistered);
  EXPECT_EQ(version, L"1.0");
}

TEST_F(RegistryTest, NonNumericVersionsCompareAsText) {
  Under(L"TypeLib\\{g}\\beta\\0\\Win32").values[L""] = TextValue("C:\\b.tlb");
  std::wstring version = L"beta";
  EXPECT_FALSE(LookUpRegistration(os, L"{g}", version).mismatch);
  EXPECT_EQ(ParseVersionNumber(L"2,5"), std::nullopt) << "the dot is the only decimal mark";
  EXPECT_EQ(ParseVersionNumber(L"1.2.3"), std::nullopt);
  EXPECT_EQ(ParseVersionNumber(L"."), std::nullopt);
  EXPECT_EQ(ParseVersionNumber(L"&h10"), std::nullopt);
  EXPECT_EQ(ParseVersionNumber(L"2.1"), 2.1f);
  EXPECT_EQ(ParseVersionNumber(L"-3"), -3.0f);
}

// Numbers read as the C library reads them, to the last bit of the float.
TEST(VersionNumberTest, ReadsAsTheCLibraryRoundsThem) {
  for (const wchar_t* text : {L"2.8", L"10.0", L"0.1", L"2.6", L"-3.75", L"007.50", L"+1.5", L"0.000001", L"16777217",
                              L"123456789.123456789", L"99999999999999999999"}) {
    EXPECT_EQ(ParseVersionNumber(text), std::wcstof(text, nullptr)) << text;
  }
}

class KeyValueTest : public ::testing::Test {
protected:
  FakeKey& DataAccess() { return os.Key(kLocalMachine, kMdacKey); }
  void TearDown() override { EXPECT_EQ(os.openKeys, 0); }
  FakeOs os;
};

TEST_F(KeyValueTest, MdacVersionOrNotAvailable) {
  EXPECT_EQ(GetMdacVersion(os), L"N/A") << "no key";
  DataAccess();
  EXPECT_EQ(GetMdacVersion(os), L"N/A") << "no value";
  DataAccess().values[kMdacValue] = TextValue("2.81.1117.0");
  EXPECT_EQ(GetMdacVersion(os), L"2.81.1117.0");
  for (std::uint32_t access : os.openAccess) EXPECT_EQ(access, kKeyRead) << "read-only access";
  DataAccess().denyOpen = true;
  EXPECT_EQ(GetMdacVersion(os), L"N/A");
}

TEST_F(KeyValueTest, DecodingByTypeAndSize) {
  FakeKey& key = DataAccess();
  key.values[L"sz"] = TextValue("2.8");
  key.values[L"raw"] = {kRegSz, "2.8"};
  key.values[L"left-over"] = {kRegSz, std::string("2.8\0old", 7)};
  key.values[L"zero"] = {kRegSz, ""};
  key.values[L"fits"] = TextValue(std::string(1023, 'v'));
  key.values[L"long"] = TextValue(std::string(1024, 'v'));
  key.values[L"expand"] = {2, std::string("%x%\0", 4)};
  key.values[L"binary"] = {3, "\x01\x02"};
  key.values[L"multi"] = {7, std::string("a\0b\0\0", 5)};
  key.values[L"dword"] = {kRegDword, std::string("\x00\x01\x00\x00", 4)};  // 256: ends in NUL bytes
  struct Case {
    const wchar_t* name;
    bool read;
    std::wstring value;
  };
  const Case cases[] = {
      {L"sz", true, L"2.8"},     {L"raw", true, L"2.8"},       {L"left-over", true, L"2.8"}, {L"zero", true, L""},
      {L"fits", true, std::wstring(1023, L'v')},               {L"long", false, L""},
      {L"expand", true, L"kept"}, {L"binary", true, L"kept"},  {L"multi", true, L"kept"},
      {L"dword", true, L"256"},  {L"absent", false, L""},
  };
  for (const Case& c : cases) {
    std::wstring value = L"kept";
    EXPECT_EQ(GetKeyValue(os, kLocalMachine, kMdacKey, c.name, value), c.read) << std::wstring_view(c.name).size();
    EXPECT_EQ(value, c.value) << "value " << std::string(c.name, c.name + std::wcslen(c.name));
  }
  key.values[kMdacValue] = {2, std::string("6.0\0", 4)};
  EXPECT_EQ(GetMdacVersion(os), L"") << "a type not converted reads as empty, not N/A";
  key.values[kMdacValue] = {kRegSz, ""};
  EXPECT_EQ(GetMdacVersion(os), L"");
}

}  // namespace
}  // namespace kit::verifier::testing
