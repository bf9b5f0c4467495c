// Win32-only. The inspector against the real loader, files and version resources under Wine:
// where a library is found, that it is unloaded again, version texts, program names in the
// current folder, bad names, and the outside search function of the stand-in VELutil32.dll.
#include "verifier/dll_version.h"
#include "verifier/ole_date.h"
#include "verifier/system_library.h"
#include "verifier/texts.h"
#include "verifier/version_text.h"
#include "verifier/win32_verifier_os.h"
#include "win_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cwctype>

namespace kit::verifier::testing {
namespace {

struct Inspected {
  std::wstring path, registration, version, module;
  std::int32_t size = -1;
  double date = -1;
};

Inspected Inspect(const std::wstring& module) {
  Win32VerifierOs os;
  CDLLVersion inspector(os);
  Inspected got;
  got.module = module;
  std::wstring clsid, version;
  inspector.LoadFileInfo(got.module, clsid, version);
  got.path = inspector.FilePathName();
  got.registration = inspector.FileRegistrationInfo();
  got.version = inspector.FileVersion();
  got.size = inspector.FileSize();
  got.date = inspector.FileDate();
  return got;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

TEST(WinInspector, SystemLibraryFoundThroughTheSearchOrderAndUnloadedAgain) {
  ASSERT_EQ(GetModuleHandleA("advpack.dll"), nullptr) << "the test program itself must not use advpack";
  const Inspected got = Inspect(L"advpack.dll");
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(Lower(got.path), Lower(std::wstring(system) + L"\\advpack.dll")) << Narrow(got.path);
  EXPECT_EQ(got.registration, L"n/a");
  EXPECT_GT(got.size, 0);
  EXPECT_GT(got.date, 36526) << "a date after 2000";
  EXPECT_EQ(GetModuleHandleA("advpack.dll"), nullptr) << "unloaded again";
}

TEST(WinInspector, LibraryAlreadyLoadedStaysLoaded) {
  HMODULE mine = LoadLibraryW(L"verifier_fixture_plain.dll");
  ASSERT_NE(mine, nullptr);
  const Inspected got = Inspect(L"verifier_fixture_plain.dll");
  EXPECT_EQ(Lower(got.path), Lower(ProgramFolder() + L"verifier_fixture_plain.dll"));
  EXPECT_EQ(GetModuleHandleW(L"verifier_fixture_plain.dll"), mine) << "still loaded";
  FreeLibrary(mine);
  EXPECT_EQ(GetModuleHandleW(L"verifier_fixture_plain.dll"), nullptr) << "our load was the last one";
}

TEST(WinInspector, VersionTextFromTheFileVersionOnly) {
  Win32VerifierOs os;
  EXPECT_EQ(GetFileVersionText(os, ProgramFolder() + L"verifier_fixture_versioned.dll"), L"6.0.8169.0");
  EXPECT_EQ(GetFileVersionText(os, ProgramFolder() + L"verifier_fixture_plain.dll"), L"");
  EXPECT_EQ(GetFileVersionText(os, ProgramFolder() + L"verifier_fixture_high.dll"), L"32768.40000.65535.65534");
  EXPECT_EQ(GetFileVersionText(os, ProgramFolder() + L"no_such_file.dll"), L"");
  EXPECT_EQ(GetFileVersionText(os, L""), L"");

  const Inspected versioned = Inspect(L"verifier_fixture_versioned.dll");
  EXPECT_EQ(versioned.version, L"6.0.8169.0");
  EXPECT_EQ(versioned.registration, L"n/a");
  const Inspected plain = Inspect(L"verifier_fixture_plain.dll");
  EXPECT_EQ(plain.version, L"");
  EXPECT_GT(plain.size, 0);
}

TEST(WinInspector, LibraryInAFolderPathBeyond260CharactersComesBackWhole) {
  // Six nested folders of 50 characters, created and removed through the long-path prefix; the
  // library is found through the search path as any library on it would be.
  ScratchFolder scratch(L"longpath");
  std::vector<std::wstring> folders;
  std::wstring deep = scratch.Path();
  for (int level = 0; level < 6; ++level) {
    deep += L"\\" + std::wstring(49, static_cast<wchar_t>(L'a' + level)) + L"x";
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr)) << GetLastError();
    folders.push_back(deep);
  }
  const std::wstring library = deep + L"\\deep_fixture.dll";
  ASSERT_GT(library.size(), 300u);
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"verifier_fixture_versioned.dll").c_str(), (L"\\\\?\\" + library).c_str(), FALSE));
  wchar_t path[8192] = {};
  GetEnvironmentVariableW(L"PATH", path, 8192);
  SetEnvironmentVariableW(L"PATH", (deep + L";" + path).c_str());
  const Inspected got = Inspect(L"deep_fixture.dll");
  SetEnvironmentVariableW(L"PATH", path);
  EXPECT_EQ(Lower(got.path), Lower(library)) << got.path.size() << " characters: " << Narrow(got.path);
  EXPECT_EQ(got.version, L"6.0.8169.0");
  DeleteFileW((L"\\\\?\\" + library).c_str());
  for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) RemoveDirectoryW((L"\\\\?\\" + *folder).c_str());
}

TEST(WinInspector, ProgramNamesAreFoundInTheCurrentFolderOnly) {
  ScratchFolder folder(L"programs");
  folder.Write(L"tool.exe", "MZ");
  folder.Write(L"myprogexe", "");
  folder.Write(L"hidden.exe", "MZ");
  SetFileAttributesW(folder.File(L"hidden.exe").c_str(), FILE_ATTRIBUTE_HIDDEN);
  CreateDirectoryW(folder.File(L"folder.exe").c_str(), nullptr);
  CurrentFolder inside(folder.Path());

  const Inspected tool = Inspect(L"TOOL.EXE");
  EXPECT_EQ(Lower(tool.path), Lower(folder.File(L"TOOL.EXE"))) << Narrow(tool.path);
  EXPECT_EQ(tool.registration, L"n/a");
  EXPECT_EQ(tool.size, 2);
  EXPECT_EQ(GetModuleHandleW(L"tool.exe"), nullptr);

  const Inspected empty = Inspect(L"myprogexe");
  EXPECT_EQ(Lower(empty.path), Lower(folder.File(L"myprogexe")));
  EXPECT_EQ(empty.size, 0) << "zero bytes reads as no size";
  EXPECT_NE(empty.date, 0) << "but the date is there";

  EXPECT_EQ(Inspect(folder.File(L"tool.exe")).path, folder.File(L"tool.exe")) << "a name with a folder stays as it is";
  EXPECT_EQ(Inspect(L"hidden.exe").path, L"Unable to locate hidden.exe");
  EXPECT_EQ(Inspect(L"folder.exe").path, L"Unable to locate folder.exe");
  EXPECT_EQ(Inspect(L"elsewhere.exe").path, L"Unable to locate elsewhere.exe");
}

TEST(WinInspector, BadNamesEndInResultTexts) {
  ScratchFolder folder(L"badnames");
  folder.Write(L"zero.dll", "");
  folder.Write(L"text.dll", "not a library");
  CreateDirectoryW(folder.File(L"folder.dll").c_str(), nullptr);
  for (const std::wstring& name : {folder.File(L"zero.dll"), folder.File(L"text.dll"), folder.File(L"folder.dll")}) {
    const Inspected got = Inspect(name);
    EXPECT_EQ(got.path, L"Unable to locate " + name);
    EXPECT_EQ(got.size, 0);
  }
  const std::wstring longName(1500, L'x');
  const Inspected tooLong = Inspect(longName + L".dll");
  EXPECT_EQ(tooLong.path, L"Unable to locate " + longName + L".dll");
  // Outside the ANSI code page: the name comes back from the ANSI crossing with its substitute.
  const Inspected foreign = Inspect(L"\u4E2D\u6587.dll");
  EXPECT_EQ(foreign.path.substr(0, 17), L"Unable to locate ");
  EXPECT_EQ(foreign.registration, L"");
  const Inspected blank = Inspect(L"   ");
  EXPECT_EQ(blank.path, L"");
  EXPECT_EQ(blank.size, 0);
}

TEST(WinInspector, OutsideSearchRunsOnceWithTheCallersBuffersAndItsFindingIsIgnored) {
  ScratchFolder folder(L"search");
  const std::wstring journal = folder.File(L"velutil32.journal");
  SetEnvironmentVariableW(L"VELUTIL32_JOURNAL", journal.c_str());
  SetEnvironmentVariableW(L"VELUTIL32_WRITE_PATH", L"C:\\found\\VELcdg.dll");
  const Inspected got = Inspect(L"VELcdg.dll");
  SetEnvironmentVariableW(L"VELUTIL32_JOURNAL", nullptr);
  SetEnvironmentVariableW(L"VELUTIL32_WRITE_PATH", nullptr);
  EXPECT_EQ(got.path, L"Unable to locate VELcdg.dll");
  EXPECT_EQ(got.registration, L"");
  const std::vector<std::string> calls = ReadLines(journal);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], "FINDFILEINPATH VELcdg.dll 10 1024");
  EXPECT_EQ(GetModuleHandleW(L"VELutil32.dll"), nullptr) << "the binding ends with the run's OS object";
}

TEST(WinInspector, NameTheSearchWritesBackLongerThanItWasComesBackWhole) {
  // That VELutil32.dll already in the process: the binding by the bare name takes the loaded one.
  ScratchFolder folder(L"longfinding");
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"verifier_fixture_long_finding.dll").c_str(), folder.File(L"VELutil32.dll").c_str(), FALSE));
  UniqueModule search(LoadLibraryW(folder.File(L"VELutil32.dll").c_str()));
  ASSERT_TRUE(search);
  const Inspected got = Inspect(L"VELcdg.dll");
  const std::wstring finding(1024, L'n');
  EXPECT_EQ(got.module, finding) << got.module.size() << " characters";
  EXPECT_EQ(got.path, L"Unable to locate " + finding);
}

TEST(WinInspector, CodeLeftByTheSearchIsTheOneSpelledOut) {
  // Through the registration path, where the locator's failure text shows.
  auto inspect = [](const wchar_t* code) {
    SetEnvironmentVariableW(L"VELUTIL32_LAST_ERROR", code);
    Win32VerifierOs os;
    CDLLVersion inspector(os);
    std::wstring module = L"VELcdg.dll", clsid = L"{6B1E0A5C-1A5E-4C1B-9C39-00000000FFFF}", version = L"1.0";
    inspector.LoadFileInfo(module, clsid, version);
    SetEnvironmentVariableW(L"VELUTIL32_LAST_ERROR", nullptr);
    return std::make_pair(inspector.FilePathName(), inspector.FileRegistrationInfo());
  };
  EXPECT_EQ(inspect(L"1157"), std::make_pair(std::wstring(L"Can't load VELcdg.dll"), std::wstring(L"Not Registered")));
  const auto loaderCode = inspect(nullptr);
  Win32VerifierOs os;
  EXPECT_EQ(loaderCode.first, L"VELcdg.dll " + GetErrorText(os, ERROR_MOD_NOT_FOUND)) << Narrow(loaderCode.first);
  const auto noText = inspect(L"1999999");
  EXPECT_EQ(noText.first, L"VELcdg.dll Error 1999999");
}

TEST(WinSystemLibrary, OnlyTheSystemFoldersCopyIsEverTaken) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  for (const SystemFolderLoad how : {SystemFolderLoad::SearchFlag, SystemFolderLoad::FullPath}) {
    SCOPED_TRACE(how == SystemFolderLoad::SearchFlag ? "search flag" : "full path");
    // The fixture lies beside this program, where an imported library would be looked for first.
    EXPECT_EQ(LoadFromSystemFolder("verifier_fixture_plain.dll", how), nullptr);
    UniqueModule version(LoadFromSystemFolder("version.dll", how));
    ASSERT_TRUE(version);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(version.get(), path, MAX_PATH);
    EXPECT_EQ(Lower(path), Lower(std::wstring(system) + L"\\version.dll")) << Narrow(path);
  }
}

TEST(WinInspector, FailedBindingOfTheSearchKeepsTheRowsOwnCode) {
  // A file that is no library fails to load with a code of its own; the maker's library failing
  // its start-up must not put its code in that row's place.
  ScratchFolder folder(L"owncode");
  folder.Write(L"text.dll", "not a library");
  auto inspect = [&](const wchar_t* refuse) {
    SetEnvironmentVariableW(L"VELUTIL32_REFUSE_LOAD", refuse);
    Win32VerifierOs os;
    CDLLVersion inspector(os);
    std::wstring module = folder.File(L"text.dll"), clsid = L"{6B1E0A5C-1A5E-4C1B-9C39-00000000FFFF}", version = L"1.0";
    inspector.LoadFileInfo(module, clsid, version);
    SetEnvironmentVariableW(L"VELUTIL32_REFUSE_LOAD", nullptr);
    return inspector.FilePathName();
  };
  Win32VerifierOs os;
  const std::wstring expected = folder.File(L"text.dll") + L" " + GetErrorText(os, ERROR_BAD_EXE_FORMAT);
  EXPECT_EQ(inspect(nullptr), expected);
  EXPECT_EQ(inspect(L"1"), expected);
}

TEST(WinInspector, FileDateIsLocalTimeByTheDaylightSavingRuleOfItsOwnDate) {
  // The test program runs in a zone of UTC+2 in winter and UTC+3 in summer (TZ, set in
  // CMakeLists.txt). Both files were written at 21:30 UTC; today's offset for both would put one
  // of them on the wrong side of midnight, whatever the season of the run.
  TIME_ZONE_INFORMATION zone{};
  GetTimeZoneInformation(&zone);
  ASSERT_EQ(zone.Bias, -120) << "not the test's time zone";
  ASSERT_EQ(zone.DaylightBias, -60) << "no daylight saving in the test's time zone";
  const struct {
    const wchar_t* name;
    SYSTEMTIME written;  // UTC
    const char* local;
  } cases[] = {{L"summer.dll", {2023, 7, 0, 15, 21, 30, 0, 0}, "2023-07-16 00:30"},
               {L"winter.dll", {2023, 1, 0, 15, 21, 30, 0, 0}, "2023-01-15 23:30"}};
  ScratchFolder folder(L"dates");
  Win32VerifierOs os;
  for (const auto& test : cases) {
    folder.Write(test.name, "MZ");
    FILETIME written{};
    ASSERT_TRUE(SystemTimeToFileTime(&test.written, &written));
    UniqueHandleObject file(CreateFileW(folder.File(test.name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &written)) << GetLastError();
    file.reset();
    const auto facts = os.ReadFileFacts(folder.File(test.name));
    ASSERT_TRUE(facts.has_value());
    const CivilTime local = CivilFromOleDate(facts->date);
    char got[32];
    std::snprintf(got, sizeof(got), "%04d-%02d-%02d %02d:%02d", local.year, local.month, local.day, local.hour, local.minute);
    EXPECT_STREQ(got, test.local) << Narrow(test.name);
  }
}

TEST(WinInspector, ErrorTextIsTheSystemsMessageWithoutItsLineEnd) {
  Win32VerifierOs os;
  const std::wstring text = GetErrorText(os, ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find(L'\n'), std::wstring::npos) << Narrow(text);
  EXPECT_NE(text.back(), L'\r');
  EXPECT_EQ(GetErrorText(os, 0x7FFFFFF0u), L"Error 2147483632");
}

}  // namespace
}  // namespace kit::verifier::testing
