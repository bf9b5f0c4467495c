// The inspector's classification of a component, in the order its rules are tried, and the
// naming of the Windows version.
#include "fake_os.h"
#include "verifier/dll_version.h"

#include <gtest/gtest.h>

namespace kit::verifier::testing {
namespace {

const std::wstring kGuid = L"{00020430-0000-0000-C000-000000000046}";
const std::wstring kPath = L"C:\\Windows\\System32\\stdole2.tlb";

struct Outcome {
  std::wstring path, registration, version;
  std::int32_t size = -1;
  double date = -1;
};

class InspectorTest : public ::testing::Test {
protected:
  Outcome Load(std::wstring module, std::wstring clsid = L"", std::wstring clsidVer = L"") {
    CDLLVersion inspector(os);
    inspector.LoadFileInfo(module, clsid, clsidVer);
    lastVersionText = clsidVer;
    return {inspector.FilePathName(), inspector.FileRegistrationInfo(), inspector.FileVersion(), inspector.FileSize(),
            inspector.FileDate()};
  }
  void Loadable(const std::wstring& name, const std::wstring& path) {
    os.libraries[name] = {path};
    os.fileFacts[path] = {4096, 36526.5};
  }
  // A type library registered as version `version`, locale `locale`, with this Win32 value.
  void Register(const std::wstring& version, const std::wstring& locale, const std::optional<std::string>& win32) {
    FakeKey& key = os.Key(kClassesRoot, L"TypeLib\\" + kGuid + L"\\" + version + L"\\" + locale + L"\\Win32");
    if (win32) key.values[L""] = TextValue(*win32);
  }

  FakeOs os;
  std::wstring lastVersionText;
};

TEST_F(InspectorTest, ClassificationFollowsTheOrderOfItsRules) {
  // Registered server path with a mismatch: "Ver " and the registered version, path from the registry.
  Loadable(L"stdole2.tlb", kPath);
  Register(L"2.0", L"0", "C:\\reg\\stdole2.tlb");
  Outcome got = Load(L"stdole2.tlb", kGuid, L"1.0");
  EXPECT_EQ(got.registration, L"Ver 2.0");
  EXPECT_EQ(got.path, L"C:\\reg\\stdole2.tlb");
  EXPECT_EQ(lastVersionText, L"2.0");
  // Version, size and date still describe the located file.
  EXPECT_EQ(got.size, 4096);
  EXPECT_EQ(got.date, 36526.5);

  // Same without a mismatch: "OK".
  got = Load(L"stdole2.tlb", kGuid, L"2.0");
  EXPECT_EQ(got.registration, L"OK");
  EXPECT_EQ(got.path, L"C:\\reg\\stdole2.tlb");
  EXPECT_EQ(lastVersionText, L"2.0");
}

TEST_F(InspectorTest, EmptyLocatedPathRowsComeBeforeTheRegistrationRows) {
  os.libraries[L"ghost.dll"] = {L"C:\\ghost.dll", false};  // loads, but no handle afterwards
  // Not registered at all: "SubKey not found".
  Outcome got = Load(L"ghost.dll", kGuid, L"1.0");
  EXPECT_EQ(got.registration, L"SubKey not found");
  EXPECT_EQ(got.path, L"");
  // Registered without a locale subkey: mismatch, "Not complete".
  os.Key(kClassesRoot, L"TypeLib\\" + kGuid + L"\\1.0\\FLAGS");
  got = Load(L"ghost.dll", kGuid, L"1.0");
  EXPECT_EQ(got.registration, L"Not complete");
  // No identifier: "Not found"; size and date unreadable for an empty path.
  got = Load(L"ghost.dll");
  EXPECT_EQ(got.registration, L"Not found");
  EXPECT_EQ(got.path, L"");
  EXPECT_EQ(got.size, 0);
  EXPECT_EQ(got.date, 0);
}

TEST_F(InspectorTest, NotRegisteredKeepsTheLocatorsTextOrItsFailureText) {
  Loadable(L"stdole2.tlb", kPath);
  Outcome got = Load(L"stdole2.tlb", kGuid, L"1.0");
  EXPECT_EQ(got.registration, L"Not Registered");
  EXPECT_EQ(got.path, kPath);

  os.loadErrors[L"missing.dll"] = 1157;
  os.searchError.reset();
  got = Load(L"missing.dll", kGuid, L"1.0");
  EXPECT_EQ(got.registration, L"Not Registered");
  EXPECT_EQ(got.path, L"Can't load missing.dll");
  EXPECT_EQ(got.size, 0);

  os.loadErrors[L"broken.dll"] = 193;
  os.messages[193] = L"Bad image.\r\n";
  got = Load(L"broken.dll", kGuid, L"1.0");
  EXPECT_EQ(got.path, L"broken.dll Bad image.");

  // A program name makes no platform call: the stale code of the earlier failure is not used.
  got = Load(L"tool.exe", kGuid, L"1.0");
  EXPECT_EQ(got.path, L"tool.exe Not Found");
}

TEST_F(InspectorTest, UnlocatedComponentWithoutIdentifier) {
  // A file that happens to be called like the failure text is not the component.
  os.versions[L"Unable to locate"] = {0x00010000, 0};
  os.fileFacts[L"Unable to locate"] = {10, 40000};
  Outcome got = Load(L"VELcdg.dll");
  EXPECT_EQ(got.path, L"Unable to locate VELcdg.dll");
  EXPECT_EQ(got.registration, L"");
  EXPECT_EQ(got.version, L"");
  EXPECT_EQ(got.size, 0);
  EXPECT_EQ(got.date, 0);
  EXPECT_EQ(os.CallCount(L"ReadFileVersion"), 0);
}

TEST_F(InspectorTest, LocatedWithIdentifierButNoServerPathIsImpossible) {
  Loadable(L"stdole2.tlb", kPath);
  Register(L"1.0", L"0", std::nullopt);  // everything registered but the Win32 default value
  EXPECT_EQ(Load(L"stdole2.tlb", kGuid, L"1.0").registration, L"impossible");
  Register(L"1.0", L"0", "");  // present but empty
  EXPECT_EQ(Load(L"stdole2.tlb", kGuid, L"1.0").registration, L"impossible");
  // Version registered without a numeric locale: mismatch, and a located file is "impossible".
  os.roots.clear();
  os.Key(kClassesRoot, L"TypeLib\\" + kGuid + L"\\1.0\\FLAGS");
  EXPECT_EQ(Load(L"stdole2.tlb", kGuid, L"1.0").registration, L"impossible");
}

TEST_F(InspectorTest, LocatedWithoutIdentifierIsNotApplicable) {
  Loadable(L"advpack.dll", L"C:\\Windows\\System32\\advpack.dll");
  os.versions[L"C:\\Windows\\System32\\advpack.dll"] = {0x00060000, 0x1FE90000};
  const Outcome got = Load(L"advpack.dll");
  EXPECT_EQ(got.path, L"C:\\Windows\\System32\\advpack.dll");
  EXPECT_EQ(got.registration, L"n/a");
  EXPECT_EQ(got.version, L"6.0.8169.0");
  EXPECT_EQ(got.size, 4096);
  EXPECT_EQ(os.CallCount(L"OpenKey"), 0) << "no identifier, no registry lookup";
}

TEST_F(InspectorTest, UnreadableFileLeavesSizeAndDateZeroAHugeOneOnlyItsSize) {
  os.libraries[L"locked.dll"] = {L"C:\\locked.dll"};
  os.versions[L"C:\\locked.dll"] = {0x00010002, 0x00030004};
  Outcome got = Load(L"locked.dll");
  EXPECT_EQ(got.path, L"C:\\locked.dll");
  EXPECT_EQ(got.version, L"1.2.3.4");
  EXPECT_EQ(got.size, 0);
  EXPECT_EQ(got.date, 0);

  os.fileFacts[L"C:\\locked.dll"] = {std::int64_t{3} << 30, 40000};
  got = Load(L"locked.dll");
  EXPECT_EQ(got.size, 0) << "3 GiB does not fit the 32-bit size";
  EXPECT_EQ(got.date, 40000) << "the date is still the file's";
}

TEST_F(InspectorTest, BlankModuleClearsEverythingAndLooksNothingUp) {
  Loadable(L"advpack.dll", L"C:\\advpack.dll");
  CDLLVersion inspector(os);
  std::wstring module = L"advpack.dll", clsid, version;
  inspector.LoadFileInfo(module, clsid, version);
  ASSERT_EQ(inspector.FileSize(), 4096);
  for (std::wstring blank : {L"", L"   "}) {
    os.calls.clear();
    std::wstring id = kGuid;
    inspector.LoadFileInfo(blank, id, version);
    EXPECT_EQ(inspector.FilePathName(), L"");
    EXPECT_EQ(inspector.FileRegistrationInfo(), L"");
    EXPECT_EQ(inspector.FileVersion(), L"");
    EXPECT_EQ(inspector.FileSize(), 0);
    EXPECT_EQ(inspector.FileDate(), 0);
    EXPECT_TRUE(os.calls.empty()) << "first call: " << std::string(os.calls.front().begin(), os.calls.front().end());
  }
}

TEST_F(InspectorTest, UntrimmedModuleNameIsUsedAndTheVersionTextTrimmed) {
  os.libraries[L" padded.dll "] = {L"C:\\padded.dll"};
  const Outcome got = Load(L" padded.dll ");
  EXPECT_EQ(got.path, L"C:\\padded.dll");
  EXPECT_EQ(os.CallCount(L"LoadModule  padded.dll "), 1);
}

TEST(OsVersionName, NamesOnlyTheVersionsOfItsTable) {
  struct Case {
    OsVersionInfo info;
    const wchar_t* name;
  };
  const Case cases[] = {
      {{4, 0, 950, 1}, L"Windows 95"},
      {{4, 10, 2222, 1}, L"Windows 98"},  // Windows 98 SE too
      {{4, 90, 3000, 1}, L"Unknown"},     // Windows Me
      {{3, 51, 1057, 2}, L"Windows NT 3.51"},
      {{4, 0, 1381, 2}, L"Windows NT 4.0"},
      {{5, 0, 2195, 2}, L"Windows 2000 (Build 2195)"},
      {{5, 1, 2600, 2}, L"Unknown"},      // XP
      {{4, 0, 950, 2}, L"Windows NT 4.0"},
      {{4, 10, 1998, 2}, L"Unknown"},
      {{10, 0, 19045, 2}, L"Unknown"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OsVersionName(c.info), c.name) << c.info.platformId << " " << c.info.major << "." << c.info.minor;
  }
  FakeOs os;
  CDLLVersion inspector(os);
  EXPECT_EQ(inspector.GetOSVersion(), L"Unknown") << "a failed query";
  os.osVersion = OsVersionInfo{5, 0, 2195, 2};
  EXPECT_EQ(inspector.GetOSVersion(), L"Windows 2000 (Build 2195)");
}

}  // namespace
}  // namespace kit::verifier::testing
