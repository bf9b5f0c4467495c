// kit_fleet.exe as an engineer runs it: over report folders and a mailed zip archive that the test
// lays out below a folder whose name no ANSI code page holds, into a fleet folder that does not
// exist yet. What it writes (fleet.csv, fleet.html) and its exit code are checked, and its
// answer to a command line it cannot use.
#include "common/utf8_text.h"
#include "common/whole_file.h"
#include "common/win32.h"
#include "tests/support/driver_support.h"
#include "tests/unit/zip_maker.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using kit::driver::Narrow;
using kit::driver::Program;

// Exit codes the fleet shares with the survey (report/survey_result.h).
constexpr DWORD kExitUsage = 104;

std::string Csv(const char* verdict) {
  return std::string("\xEF\xBB\xBFprogram,component,verdict,message,cause\r\nprobe_mscomctl,MSCOMCTL.OCX,") + verdict +
         ",Form1,\r\n";
}

class FleetProgram : public testing::Test {
protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    // "Отчёты Zürich": Cyrillic and Western letters in one name.
    m_root = std::wstring(temp) + L"kit_fleet_win_" + std::to_wstring(GetCurrentProcessId()) +
             L"\\\u041E\u0442\u0447\u0451\u0442\u044B Z\u00FCrich";
    std::error_code error;
    std::filesystem::remove_all(m_root, error);
    std::filesystem::create_directories(m_root, error);
    ASSERT_FALSE(error) << error.message();
  }
  void TearDown() override {
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(m_root).parent_path(), error);
  }

  void Write(const std::wstring& file, const std::string& bytes) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(m_root + L"\\" + file).parent_path(), error);
    ASSERT_TRUE(kit::WriteWholeFile(m_root + L"\\" + file, bytes)) << Narrow(file) << ": error " << GetLastError();
  }

  DWORD Run(const std::wstring& arguments) {
    Program fleet = Program::Start(kit::driver::BesideMe(L"kit_fleet.exe"), arguments);
    EXPECT_TRUE(fleet.Started()) << Narrow(fleet.Error());
    DWORD code = 0xFFFFFFFF;
    EXPECT_TRUE(fleet.WaitForExit(kit::driver::Scaled(60000), &code)) << "kit_fleet did not end";
    return code;
  }

  std::wstring m_root;
};

TEST_F(FleetProgram, MergesFoldersAndAZipBelowAFolderOfAnyName) {
  // A machine named in Cyrillic too ("ПК-1"): machine.txt is UTF-8.
  Write(L"kit_survey_PC1_2026-12-09_140300\\report.csv", Csv("broken"));
  Write(L"kit_survey_PC1_2026-12-09_140300\\machine.txt",
        "machine=\xD0\x9F\xD0\x9A-1\nwindows=Windows 10.0\nbuild=19045\narchitecture=64-bit\nsurveyed=2026-12-09T14:03:00\n");
  Write(L"mail\\kit_survey_PC2_2026-12-09_140300.ZIP",
        kit::test::MakeZip({{"kit_survey_PC2_2026-12-09_140300/report.csv", Csv("broken"), true}}).bytes);
  Write(L"mail\\damaged.zip", "no archive");
  const std::wstring out = m_root + L"\\fleet of today";

  EXPECT_EQ(Run(L"--out \"" + out + L"\" \"" + m_root + L"\""), 0u);
  const std::string csv = kit::ReadWholeFile(out + L"\\fleet.csv");
  EXPECT_EQ(csv, "\xEF\xBB\xBFmachine,windows,program,verdict,message,cause\r\n"
                 "PC2,unknown,probe_mscomctl,broken,Form1,\r\n"
                 "\xD0\x9F\xD0\x9A-1,Windows 10.0,probe_mscomctl,broken,Form1,\r\n");
  const std::string html = kit::ReadWholeFile(out + L"\\fleet.html");
  EXPECT_NE(html.find("damaged.zip</td><td>not a zip archive"), std::string::npos) << html;
  EXPECT_NE(html.find("<a href=\"../kit_survey_PC1_2026-12-09_140300/report.html\">"), std::string::npos) << html;
  EXPECT_NE(html.find("<a href=\"../mail/kit_survey_PC2_2026-12-09_140300.ZIP\">PC2</a> (zip)"), std::string::npos) << html;
}

TEST_F(FleetProgram, ACommandLineItCannotUseIsAUsageError) {
  const std::pair<const wchar_t*, DWORD> cases[] = {
      {L"", kExitUsage},
      {L"--since yesterday .", kExitUsage},
      {L"--colour .", kExitUsage},
  };
  for (const auto& [arguments, code] : cases) EXPECT_EQ(Run(arguments), code) << Narrow(arguments);
}

}  // namespace
