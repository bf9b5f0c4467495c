// Win32-only. The registration lookup and the data-access line against Wine's registry, with
// keys each test writes and removes again; the Windows name with Wine pretending to be older
// versions.
#include "verifier/dll_version.h"
#include "verifier/mdac_line.h"
#include "verifier/registry_lookup.h"
#include "verifier/win32_verifier_os.h"
#include "win_support.h"

#include <gtest/gtest.h>

namespace kit::verifier::testing {
namespace {

const std::wstring kGuid = L"{6B1E0A5C-1A5E-4C1B-9C39-5E1F00D0A001}";
const std::wstring kLibKey = L"TypeLib\\" + kGuid;

struct Looked {
  std::wstring path, registration, version;
};

// Looks up the fixture library with the given expected version; the file is always found.
Looked LookUp(const std::wstring& expected, const std::wstring& module = L"verifier_fixture_versioned.dll") {
  Win32VerifierOs os;
  CDLLVersion inspector(os);
  Looked got;
  got.version = expected;
  std::wstring name = module, clsid = kGuid;
  inspector.LoadFileInfo(name, clsid, got.version);
  got.path = inspector.FilePathName();
  got.registration = inspector.FileRegistrationInfo();
  return got;
}

TEST(WinRegistration, OutcomesOfTheLookup) {
  ScratchKey lib(HKEY_CLASSES_ROOT, kLibKey);
  // Not registered at all.
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kLibKey.c_str());
  Looked got = LookUp(L"1.0");
  EXPECT_EQ(got.registration, L"Not Registered");
  EXPECT_NE(got.path.find(L"verifier_fixture_versioned.dll"), std::wstring::npos) << Narrow(got.path);
  got = LookUp(L"1.0", L"VELcdg.dll");
  EXPECT_EQ(got.registration, L"Not Registered");
  EXPECT_EQ(got.path.rfind(L"VELcdg.dll ", 0), 0u) << "the locator's failure text: " << Narrow(got.path);

  // Exactly as expected.
  lib.SetText(L"1.0\\0\\Win32", L"", L"C:\\windows\\system32\\fixture.tlb");
  got = LookUp(L"1.0");
  EXPECT_EQ(got.registration, L"OK");
  EXPECT_EQ(got.path, L"C:\\windows\\system32\\fixture.tlb");
  EXPECT_EQ(got.version, L"1.0");

  // Only another version registered: "Ver " and that version, which the caller now holds.
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kLibKey.c_str());
  lib.SetText(L"2.0\\409\\Win32", L"", L"C:\\two.tlb");
  got = LookUp(L"1.0");
  EXPECT_EQ(got.registration, L"Ver 2.0");
  EXPECT_EQ(got.path, L"C:\\two.tlb");
  EXPECT_EQ(got.version, L"2.0");

  // 1.00 against 1.0: equal numbers, yet the caller's text is replaced.
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kLibKey.c_str());
  lib.SetText(L"1.00\\0\\Win32", L"", L"C:\\one.tlb");
  got = LookUp(L"1.0");
  EXPECT_EQ(got.registration, L"OK");
  EXPECT_EQ(got.version, L"1.00");

  // No numeric locale subkey: a located file is "impossible".
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kLibKey.c_str());
  lib.Create(L"1.0\\FLAGS");
  lib.Create(L"1.0\\HELPDIR");
  EXPECT_EQ(LookUp(L"1.0").registration, L"impossible");

  // Everything but the Win32 value.
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kLibKey.c_str());
  lib.Create(L"1.0\\0\\Win32");
  got = LookUp(L"1.0");
  EXPECT_EQ(got.registration, L"impossible");
  EXPECT_NE(got.path.find(L"verifier_fixture_versioned.dll"), std::wstring::npos);
}

TEST(WinRegistration, RegistryReadersAgainstRealKeys) {
  ScratchKey key(HKEY_CLASSES_ROOT, L"KitVerifierTest");
  key.SetText(L"", L"text", L"hello");
  key.SetBytes(L"", L"dword", REG_DWORD, std::string("\x40\x42\x0F\x00", 4));  // 1000000
  key.SetText(L"", L"long", std::wstring(300, L'a'));
  key.Create(L"409");
  key.Create(L"9");
  Win32VerifierOs os;
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"KitVerifierTest", L"text"), L"hello");
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"KitVerifierTest", L"dword"), L"1000000");
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"KitVerifierTest", L"long"), L"") << "longer than the buffer";
  EXPECT_EQ(ReadRegValue(os, kClassesRoot, L"KitVerifierTest", L"absent"), L"");
  EXPECT_EQ(FindSubKey(os, L"-2147483648", L"KitVerifierTest", L"0"), L"409");
  EXPECT_EQ(FindSubKey(os, L"-2147483648", L"KitVerifierTest", L"9"), L"9");
}

class WinDataAccess : public ::testing::Test {
protected:
  std::wstring Mdac() {
    Win32VerifierOs os;
    return GetMdacVersion(os);
  }
};

TEST_F(WinDataAccess, ValuePresentAbsentOfOtherTypesAndEmpty) {
  EXPECT_EQ(Mdac(), L"N/A") << "Wine has no data-access key";
  ScratchKey key(HKEY_LOCAL_MACHINE, kMdacKey);
  EXPECT_EQ(Mdac(), L"N/A") << "key without the value";
  key.SetText(L"", kMdacValue, L"2.81.1117.0");
  EXPECT_EQ(Mdac(), L"2.81.1117.0");
  key.SetText(L"", kMdacValue, std::wstring(1023, L'7'));
  EXPECT_EQ(Mdac(), std::wstring(1023, L'7'));
  key.SetText(L"", kMdacValue, std::wstring(1024, L'7'));
  EXPECT_EQ(Mdac(), L"N/A") << "more than the 1024-byte buffer";
  key.SetText(L"", kMdacValue, L"%SystemRoot%", REG_EXPAND_SZ);
  EXPECT_EQ(Mdac(), L"") << "read, but a type that is not converted";
  key.SetBytes(L"", kMdacValue, REG_SZ, "");
  EXPECT_EQ(Mdac(), L"") << "zero bytes";
  key.SetBytes(L"", kMdacValue, REG_DWORD, std::string("\x1A\x00\x00\x00", 4));
  EXPECT_EQ(Mdac(), L"26");
}

// The Windows name as the inspector gives it, from a helper run with Wine pretending to be
// `version`.
std::string OsNameUnder(const wchar_t* version) {
  const std::wstring appKey = L"Software\\Wine\\AppDefaults\\verifier_os_name.exe";
  ScratchKey key(HKEY_CURRENT_USER, appKey);
  if (version) key.SetText(L"", L"Version", version);
  ScratchFolder folder(L"osname");
  const std::wstring out = folder.File(L"name.txt");
  std::wstring command = L"\"" + ProgramFolder() + L"verifier_os_name.exe\" \"" + out + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return "<could not start the helper>";
  }
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ReadAll(out);
}

TEST(WinOsVersion, NamesUnderTheVersionsWineCanPretendToBe) {
  EXPECT_EQ(OsNameUnder(L"win2k"), "Windows 2000 (Build 2195)|2 5.0");
  EXPECT_EQ(OsNameUnder(L"win98"), "Windows 98|1 4.10");
  EXPECT_EQ(OsNameUnder(L"win95"), "Windows 95|1 4.0");
  EXPECT_EQ(OsNameUnder(L"nt40"), "Windows NT 4.0|2 4.0");
  EXPECT_EQ(OsNameUnder(L"winxp"), "Unknown|2 5.1");
  EXPECT_EQ(OsNameUnder(L"winxp64"), "Unknown|2 5.2");
}

}  // namespace
}  // namespace kit::verifier::testing
