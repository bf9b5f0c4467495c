// Licence keys end to end under Wine: the maker's tool against the stand-ins' licensing factories
// (a licensed control and the DAO engine), on a machine with and without the design-time
// licence; and programs built with a key file creating what refuses a plain creation.
#include "tests/services/services_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {
using namespace kit;
using namespace kit::e2e;
using namespace kit::services_test;

constexpr wchar_t kKey[] = L"kit-test-licence";
constexpr char kGraphClass[] = "{0842D100-1E19-101B-9AAF-1A1626551E7C}";
constexpr char kEngineClass[] = "{00000100-0000-0010-8000-00AA006D2EA4}";
const DWORD kEndMs = driver::Scaled(30000);

// The environment of one test: the graph stand-in and the DAO engine as licensed classes, with
// the test's key; KIT_DESIGN_LICENCE as given.
class LicensedClasses {
public:
  explicit LicensedClasses(bool designLicence) {
    SetEnvironmentVariableW(L"KIT_CONTROL_FAIL", L"GraphLib.Graph:licensed");
    SetEnvironmentVariableW(L"KIT_LICENCE_KEY", kKey);
    SetEnvironmentVariableW(L"KIT_DESIGN_LICENCE", designLicence ? L"1" : nullptr);
  }
  ~LicensedClasses() {
    for (const wchar_t* name : {L"KIT_CONTROL_FAIL", L"KIT_LICENCE_KEY", L"KIT_DESIGN_LICENCE"}) {
      SetEnvironmentVariableW(name, nullptr);
    }
  }

private:
  RegisteredStandIn m_graph{L"GRAPH32.OCX"};
  RegisteredStandIn m_engine{L"standin_dao.dll"};
  StandInMode m_mode{L"licensed"};
};

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the tool on `file`; its exit code.
DWORD RunTool(const std::wstring& file) {
  auto tool = driver::Program::Start(driver::BesideMe(L"kit_licence_keys.exe"), L"\"" + file + L"\"");
  DWORD code = 99;
  EXPECT_TRUE(tool.Started() && tool.WaitForExit(kEndMs, &code)) << "the tool did not end";
  return code;
}

TEST(Licence, TheToolWritesTheKeysOnlyALicensedMachineHandsOutAndKeepsTheOthers) {
  const std::wstring file = ScratchFolder(L"licence_tool") + L"\\licence_keys.txt";
  const std::string other = "{11111111-2222-3333-4444-555555555555} a key from another machine";
  std::ofstream(std::filesystem::path(file), std::ios::binary) << other << "\n";
  {
    LicensedClasses customerMachine(false);
    EXPECT_EQ(RunTool(file), 0u);
  }
  std::string keys = ReadFile(file);
  EXPECT_NE(keys.find(other), std::string::npos) << keys;
  EXPECT_EQ(keys.find("kit-test-licence"), std::string::npos) << "a machine without the licence gave a key:\n" << keys;
  {
    LicensedClasses makersMachine(true);
    EXPECT_EQ(RunTool(file), 0u);
  }
  keys = ReadFile(file);
  for (const char* line : {kGraphClass, kEngineClass}) {
    EXPECT_NE(keys.find(std::string(line) + " kit-test-licence\n"), std::string::npos) << line << "\n" << keys;
  }
  EXPECT_NE(keys.find(other), std::string::npos) << keys;
}

// probe_graph32 and probe_dao360 built with the fixture key file (in keyed\) on a
// machine without the design-time licence: the control is placed, the engine is created through
// its licensing factory; the programs built without keys are refused.
TEST(Licence, ProgramsBuiltWithTheKeyFileCreateWhatRefusesPlainCreation) {
  LicensedClasses customerMachine(false);
  {
    auto graph = StartAndWaitForForm(L"keyed\\probe_graph32.exe");
    ASSERT_TRUE(graph.form);
    ExpectNoMessageBox(graph.program);
  }
  struct Case {
    const wchar_t* exe;
    std::wstring_view answer;
  };
  const Case cases[] = {
      {L"keyed\\probe_dao360.exe", L"Test ok"},
      {L"probe_dao360.exe", L"Test failed: Class is not licensed for use (0x80040112)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(driver::Narrow(c.exe));
    auto started = StartIn(c.exe, ScratchFolder(L"licence_dao"));
    ASSERT_TRUE(started.form);
    ExpectMessageAndAnswer(ClickForMessage(started, L"test"), c.answer, L"probe_dao360");
  }
}

}  // namespace
