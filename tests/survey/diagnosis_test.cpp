// The dependency diagnosis under Wine against the fixture libraries (tests/survey/fixtures): each
// problem named as the engineer reads it, and nothing the loader finds reported missing; and the
// diagnosis of a class along its way: registration, server file, dependencies.
#include "tests/support/driver_support.h"
#include "common/owners.h"
#include "diagnosis/dependency_walk.h"
#include "diagnosis/diagnosis.h"
#include "survey/diagnosis_child.h"
#include "tests/survey/test_classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include <psapi.h>

namespace {
using namespace kit::diagnosis;

std::wstring Fixture(const std::wstring& relative) {
  return kit::driver::BesideMe(L"dependency_fixtures\\" + relative);
}

std::string Texts(const DependencyReport& report) {
  std::string all = kit::driver::Narrow(report.fileError);
  for (const DependencyProblem& problem : report.problems) {
    all += '\n';
    all += kit::driver::Narrow(ProblemText(problem));
  }
  return all;
}

const FoundLibrary* Found(const DependencyReport& report, const std::wstring& name) {
  for (const FoundLibrary& found : report.found) {
    if (_wcsicmp(found.name.c_str(), name.c_str()) == 0) return &found;
  }
  return nullptr;
}

TEST(DependencyWalk, EachProblemIsNamedWithWhatNeedsIt) {
  struct Case {
    const wchar_t* file;
    std::vector<std::wstring> problems;  // in order, each a prefix of the problem's text
  };
  const std::wstring older = Fixture(L"older\\kit_fx_libx.dll");
  const Case cases[] = {
      {L"absent\\kit_fx_needs_absent.dll", {L"kit_fx_absent.dll is missing (kit_fx_needs_absent.dll imports it)"}},
      {L"chain\\kit_fx_chain_a.dll",
       {L"kit_fx_chain_c.dll is missing (kit_fx_chain_a.dll, which needs kit_fx_chain_b.dll, which imports it)"}},
      {L"older\\kit_fx_needs_newer.dll",
       {L"kit_fx_libx.dll at " + older + L" lacks `libx_new`, which kit_fx_needs_newer.dll imports",
        L"kit_fx_libx.dll at " + older + L" lacks `#7`, which kit_fx_needs_newer.dll imports"}},
      {L"delayed\\kit_fx_delayed.dll",
       {L"kit_fx_absent.dll is missing (kit_fx_delayed.dll imports it) (a delayed import: only the feature that "
        L"calls it fails)"}},
      {L"sxs\\kit_fx_sxs_user.dll", {}},
      {L"api_set\\kit_fx_api_set.dll", {}},
  };
  for (const Case& c : cases) {
    const DependencyReport report = WalkDependencies(Fixture(c.file));
    SCOPED_TRACE(kit::driver::Narrow(c.file) + Texts(report));
    EXPECT_EQ(report.fileError, L"");
    ASSERT_EQ(report.problems.size(), c.problems.size());
    for (std::size_t i = 0; i < c.problems.size(); ++i) {
      EXPECT_EQ(ProblemText(report.problems[i]).rfind(c.problems[i], 0), 0u) << i;
    }
  }
}

TEST(DependencyWalk, TheLoadersOwnAnswersCountAsFound) {
  const DependencyReport sxs = WalkDependencies(Fixture(L"sxs\\kit_fx_sxs_user.dll"));
  const FoundLibrary* assembly = Found(sxs, L"kit_fx_private.dll");
  ASSERT_TRUE(assembly) << Texts(sxs);
  EXPECT_EQ(assembly->where, L"side-by-side assembly");
  EXPECT_NE(assembly->path.find(L"\\kit.fx.private\\"), std::wstring::npos) << kit::driver::Narrow(assembly->path);
  const DependencyReport apiSet = WalkDependencies(Fixture(L"api_set\\kit_fx_api_set.dll"));
  const FoundLibrary* set = Found(apiSet, L"api-ms-win-core-synch-l1-2-0.dll");
  ASSERT_TRUE(set) << Texts(apiSet);
  EXPECT_EQ(set->where, L"API set");
  EXPECT_FALSE(set->path.empty());
}

TEST(DependencyWalk, AFileForAnotherMachineOrNoProgramFileIsSaidSo) {
  // A copy of a fixture marked for the other machine.
  const std::wstring source = Fixture(L"absent\\kit_fx_needs_absent.dll");
  const std::wstring copy = Fixture(L"other_machine.dll");  // not beside the test: no program of the build
  std::ifstream in(std::filesystem::path(source), std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 0x200u);
  std::uint32_t pe = 0;
  std::memcpy(&pe, bytes.data() + 0x3C, 4);
  const std::uint16_t other = sizeof(void*) == 8 ? 0x014C : 0x8664;
  std::memcpy(bytes.data() + pe + 4, &other, 2);
  std::ofstream(std::filesystem::path(copy), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  const std::wstring wanted = sizeof(void*) == 8 ? L"a 32-bit file, where a 64-bit one is needed"
                                                 : L"a 64-bit file, where a 32-bit one is needed";
  EXPECT_EQ(WalkDependencies(copy).fileError, wanted);
  EXPECT_EQ(WalkDependencies(kit::driver::BesideMe(L"no_such_file.dll")).fileError, L"the file is missing");
}

std::string Lines(const Diagnosis& diagnosis) {
  std::string lines;
  for (const std::wstring& line : diagnosis.lines) lines += kit::driver::Narrow(line) + "\n";
  return lines;
}

// What the loader would refuse is the cause, named with how it was reached; what it would not
// refuse is never the cause, only listed.
TEST(Diagnosis, TheCauseIsWhatTheLoaderWouldRefuseAndNothingElse) {
  struct Case {
    const wchar_t* file;
    std::wstring cause;  // a prefix of the cause; empty: no cause
    std::wstring line;   // a line (or a part of one) the page shows beside
  };
  const std::wstring sxs = Fixture(L"sxs\\");
  const Case cases[] = {
      {L"dts\\kit_fx_dts.dll",
       L"kit_fx_absent.dll is missing (kit_fx_dts.dll, which needs kit_fx_dts_q.dll, which needs "
       L"kit_fx_needs_absent.dll, which imports it)",
       L"uses kit_fx_needs_absent.dll: " + Fixture(L"dts\\kit_fx_needs_absent.dll") + L" (beside the file)"},
      {L"dabove\\kit_fx_dabove.dll", L"",
       L"  kit_fx_absent.dll is missing (kit_fx_dabove.dll, which needs kit_fx_needs_absent.dll, which imports it) "
       L"(a delayed import: only the feature that calls it fails)"},
      {L"forward\\kit_fx_uses_fwd.dll",
       L"kit_fx_absent.dll is missing (kit_fx_uses_fwd.dll imports `kit_fwd_function` from kit_fx_fwd.dll, which "
       L"forwards it to kit_fx_absent.dll as `kit_absent_function`)",
       L"uses kit_fx_fwd.dll"},
      {L"empty\\kit_fx_needs_empty.dll",
       L"kit_fx_empty.dll at " + Fixture(L"empty\\kit_fx_empty.dll") + L" cannot be loaded: an empty file (0 bytes)",
       L"kit_fx_needs_empty.dll imports it"},
      {L"cut\\kit_fx_needs_cut.dll",
       L"kit_fx_cut.dll at " + Fixture(L"cut\\kit_fx_cut.dll") + L" cannot be loaded: a damaged program file (cut short",
       L"kit_fx_needs_cut.dll imports it"},
      {L"cut\\kit_fx_cut_component.dll",
       Fixture(L"cut\\kit_fx_cut_component.dll") + L": a damaged program file (cut short", L""},
      {L"sxs\\kit_fx_sxs_one.dll", L"kit_fx_private.dll is missing (kit_fx_sxs_one.dll imports it)", L""},
      {L"sxs\\kit_fx_sxs_bad.dll",
       L"kit_fx_sxs_bad.dll at " + sxs + L"kit_fx_sxs_bad.dll: its side-by-side manifest (resource 2) cannot be used; "
       L"it asks for kit.fx.private 1.0.0.0; the system says",
       L""},
      {L"sxs\\kit_fx_sxs_absent.dll",
       L"kit_fx_sxs_absent.dll at " + sxs + L"kit_fx_sxs_absent.dll: its side-by-side manifest (resource 2) cannot be "
       L"used; it asks for kit.fx.nowhere 3.1.0.0; the system says",
       L""},
      {L"sxs\\kit_fx_sxs_user.dll", L"", L"(side-by-side assembly)"},
      {L"sxs\\kit_fx_uses_sxs_user.dll", L"", L"uses kit_fx_private.dll: "},
      {L"hostile\\kit_fx_hostile.dll", L"kit_fx_hostile_target.dll is missing (kit_fx_hostile.dll imports it)",
       L"its import table is larger than any real file's"},
  };
  for (const Case& c : cases) {
    const DWORD start = GetTickCount();
    const Diagnosis diagnosis = ExplainFile(Fixture(c.file));
    const DWORD took = GetTickCount() - start;
    SCOPED_TRACE(kit::driver::Narrow(c.file) + "\n" + Lines(diagnosis));
    if (c.cause.empty()) {
      EXPECT_EQ(diagnosis.cause, L"");
    } else {
      EXPECT_EQ(diagnosis.cause.rfind(c.cause, 0), 0u) << kit::driver::Narrow(diagnosis.cause);
    }
    EXPECT_NE(Lines(diagnosis).find(kit::driver::Narrow(c.line)), std::string::npos);
    EXPECT_LT(took, kit::driver::Scaled(10000));
  }
}

// A library another program holds without sharing is refused as in use, not called missing.
TEST(Diagnosis, ALibraryInUseIsNamedAsSuch) {
  const std::wstring library = Fixture(L"empty\\kit_fx_empty.dll");
  const kit::UniqueFile held(CreateFileW(library.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  const Diagnosis diagnosis = ExplainFile(Fixture(L"empty\\kit_fx_needs_empty.dll"));
  EXPECT_EQ(diagnosis.cause.rfind(L"kit_fx_empty.dll at " + library + L" cannot be loaded: ", 0), 0u)
      << kit::driver::Narrow(diagnosis.cause);
  EXPECT_NE(diagnosis.cause.find(L"(error 32)"), std::wstring::npos) << kit::driver::Narrow(diagnosis.cause);
}

// A library of a healthy system that loads gets no cause: every library this process has loaded,
// and one in eight of the system folder's libraries that the loader maps (all 530 of Wine's took
// 53 s, with no cause, when this was written).
TEST(Diagnosis, NoLibraryThatLoadsGetsACause) {
  std::vector<std::wstring> libraries;
  HMODULE modules[512];
  DWORD size = 0;
  ASSERT_TRUE(EnumProcessModules(GetCurrentProcess(), modules, sizeof(modules), &size));
  for (DWORD i = 1; i < size / sizeof(HMODULE) && i < std::size(modules); ++i) {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetModuleFileNameW(modules[i], path, static_cast<DWORD>(std::size(path)));
    if (length != 0) libraries.emplace_back(path, length);
  }
  wchar_t system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  WIN32_FIND_DATAW found;
  const kit::UniqueFind find(FindFirstFileW((std::wstring(system) + L"\\*.dll").c_str(), &found));
  ASSERT_TRUE(find);
  for (int i = 0; FindNextFileW(find.get(), &found); ++i) {
    const std::wstring path = std::wstring(system) + L"\\" + found.cFileName;
    if (i % 8 != 0 || !kit::UniqueModule(LoadLibraryExW(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES))) continue;
    libraries.push_back(path);
  }
  EXPECT_GT(libraries.size(), 20u);
  for (const std::wstring& library : libraries) {
    const Diagnosis diagnosis = ExplainFile(library);
    EXPECT_EQ(diagnosis.cause, L"") << kit::driver::Narrow(library) << "\n" << Lines(diagnosis);
  }
}

// The survey's child: its record read back whole, and a child that hangs, crashes or stops
// half-way is named so, within the bound, never taken for a diagnosis.
TEST(Diagnosis, AChildThatDoesNotFinishIsSaidSo) {
  const Diagnosis real = kit::survey::DiagnoseApart(
      kit::driver::BesideMe(L"kit_survey.exe"),
      L"--diagnose-file " + kit::survey::Quoted(Fixture(L"forward\\kit_fx_uses_fwd.dll")),
      kit::driver::Scaled(20000));
  EXPECT_TRUE(real.finished);
  EXPECT_EQ(real.cause, ExplainFile(Fixture(L"forward\\kit_fx_uses_fwd.dll")).cause);
  EXPECT_EQ(Lines(real), Lines(ExplainFile(Fixture(L"forward\\kit_fx_uses_fwd.dll"))));
  struct Case {
    const wchar_t* mode;
    DWORD bound;
    std::wstring cause;
  };
  const Case cases[] = {
      {L"hang", 2000, L"the diagnosis did not finish: it ran past 2 s and was ended"},
      {L"crash", kit::driver::Scaled(20000), L"the diagnosis did not finish: it crashed (0xC0000005, access violation)"},
      {L"half", kit::driver::Scaled(20000), L"the diagnosis did not finish: it wrote no whole diagnosis (ended with exit code 0)"},
  };
  for (const Case& c : cases) {
    const DWORD start = GetTickCount();
    const Diagnosis diagnosis = kit::survey::DiagnoseApart(Fixture(L"kit_fx_child.exe"), c.mode, c.bound);
    EXPECT_FALSE(diagnosis.finished) << kit::driver::Narrow(c.mode);
    EXPECT_EQ(diagnosis.cause, c.cause);
    EXPECT_LT(GetTickCount() - start, c.bound + kit::driver::Scaled(6000));
  }
}

}  // namespace

namespace {

using kit::survey_test::TestClass;

TEST(Diagnosis, TheCauseIsTheFirstThingFoundWrongAlongTheClassesWay) {
  constexpr wchar_t kClass[] = L"{6B1C3A52-2E55-4F0B-9A57-4C1D0F0E7A01}";
  const std::wstring absent = Fixture(L"absent\\kit_fx_needs_absent.dll");
  struct Case {
    const char* what;
    std::wstring server;  // empty: not registered in this view
    bool otherView;
    std::wstring cause;
  };
  const std::wstring otherPrograms = sizeof(void*) == 8 ? L"32-bit" : L"64-bit";
  const Case cases[] = {
      {"not registered", L"", false, L"Test.Class {6B1C3A52-2E55-4F0B-9A57-4C1D0F0E7A01} is not registered (TEST.OCX)"},
      {"its server file is gone", Fixture(L"absent\\gone.ocx"), false, Fixture(L"absent\\gone.ocx") + L" is missing"},
      {"a library its server needs is missing", L"\"" + absent + L"\"", false,
       L"kit_fx_absent.dll is missing (kit_fx_needs_absent.dll imports it)"},
      {"registered in the other view only", absent, true,
       L"Test.Class {6B1C3A52-2E55-4F0B-9A57-4C1D0F0E7A01} is registered for " + otherPrograms + L" programs only"},
  };
  // A 32-bit prefix has one registry view: there the last case cannot arise.
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  const bool twoViews = sizeof(void*) == 8 || wow64;
  for (const Case& c : cases) {
    if (c.otherView && !twoViews) continue;
    SCOPED_TRACE(c.what);
    std::optional<TestClass> registered;
    if (!c.server.empty()) registered.emplace(kClass, c.server, c.otherView);
    const Diagnosis diagnosis = DiagnoseParts({{L"Test.Class", kClass, L"TEST.OCX"}});
    std::string lines;
    for (const std::wstring& line : diagnosis.lines) lines += kit::driver::Narrow(line) + "\n";
    EXPECT_EQ(diagnosis.cause, c.cause) << lines;
  }
}

}  // namespace
