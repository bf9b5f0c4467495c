// The dependency diagnosis under Wine against the fixture libraries (tests/survey/fixtures): each
// problem named as the engineer reads it, and nothing the loader finds reported missing; and the
// diagnosis of a class along its way: registration, server file, dependencies.
#include "tests/support/driver_support.h"
#include "diagnosis/dependency_walk.h"
#include "diagnosis/diagnosis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

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

}  // namespace

namespace {

// A class registered for the test under HKLM (Wine's HKCR shows no per-user classes), in this
// process's registry view or the other one; removed at the end of the scope.
class TestClass {
public:
  TestClass(const wchar_t* classId, const std::wstring& server, bool otherView = false)
      : m_root(HKEY_LOCAL_MACHINE),
        m_view(otherView ? (sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY) : 0),
        m_key(std::wstring(L"Software\\Classes\\CLSID\\") + classId) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(m_root, (m_key + L"\\InprocServer32").c_str(), 0, nullptr, 0, KEY_WRITE | m_view,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring model = L"Apartment";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                   static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model.c_str()),
                   static_cast<DWORD>((model.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  ~TestClass() {
    // The class key is deleted through its parent opened in the same view.
    HKEY parent = nullptr;
    if (RegOpenKeyExW(m_root, L"Software\\Classes\\CLSID", 0, KEY_WRITE | m_view, &parent) != ERROR_SUCCESS) return;
    const std::wstring name = m_key.substr(m_key.find_last_of(L'\\') + 1);
    RegDeleteKeyW(parent, (name + L"\\InprocServer32").c_str());
    RegDeleteKeyW(parent, name.c_str());
    RegCloseKey(parent);
  }

private:
  HKEY m_root;
  REGSAM m_view;
  std::wstring m_key;
};

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
