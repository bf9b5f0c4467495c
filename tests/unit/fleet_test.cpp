// kit_fleet: report folders of a small fleet written to a temporary folder, found, read and merged:
// the machines' facts from machine.txt or an earlier kit's folder name and page, the broken rows
// grouped by cause with the component file that tells them apart, the counts, the reports that
// cannot be used, the latest report per machine, the page's links and escaping, the CSV.
#include "fleet/fleet_page.h"
#include "fleet/fleet_read.h"
#include "report/comparison.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace {
using namespace kit::fleet;
namespace fs = std::filesystem;

constexpr char kHeader[] = "\xEF\xBB\xBFprogram,component,verdict,message,cause\r\n";

std::string Log(const char* mscomctlVersion, const char* folder = "C:\\WINDOWS\\system32", const char* runtimeVersion = "6.0.98.15") {
  return std::string("File version verification\r\n\r\nFile,Reg_Info,Date,Size,Version\r\n") + folder +
         "\\MSCOMCTL.OCX,OK,1/1/2020,1070152 bytes," + mscomctlVersion +
         "\r\nC:\\WINDOWS\\system32\\msvbvm60.dll,n/a,1/1/2020,1386496 bytes," + runtimeVersion + "\r\nMDAC,2.8\r\n";
}

std::string MachineFile(const char* name, const char* build, const char* architecture, const char* surveyed) {
  return std::string("machine=") + name + "\nwindows=Windows 10.0\nbuild=" + build + "\narchitecture=" + architecture +
         "\nsurveyed=" + surveyed + "\nkit=3.1\n";
}

class FleetTest : public testing::Test {
protected:
  void SetUp() override {
    m_root = fs::temp_directory_path() / ("kit_fleet_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                          testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_root);
    const std::string works = std::string(kHeader) + "probe_mscomctl,MSCOMCTL.OCX,works,Form1,\r\nprobe_ado26,msado26.tlb,works,Test ok,\r\n";
    Report("in/a/kit_survey_GOOD1_2026-12-09_100000", MachineFile("GOOD1", "19045", "64-bit", "2026-12-09T10:00:00"), works, Log("6.1.98.39"));
    Report("in/a/kit_survey_GOOD2_2026-12-09_100000", MachineFile("GOOD2", "19045", "64-bit", "2026-12-09T10:00:00"), works, Log("6.1.98.39"));
    Report("in/a/kit_survey_GOOD3_2026-12-09_100000", MachineFile("GOOD3", "19045", "64-bit", "2026-12-09T10:00:00"), works,
           Log("6.1.98.39", "D:\\WINNT\\SysWOW64"));
    const auto broken = [](const char* folder) {
      return std::string(kHeader) + "probe_mscomctl,MSCOMCTL.OCX,broken,MSCOMCTL.OCX: error 339,\"" + folder +
             "\\MSCOMCTL.OCX needs COMCTL32.dll 6.0\"\r\nprobe_ado26,msado26.tlb,works,Test ok,\r\n";
    };
    Report("in/b/kit_survey_BAD1_2026-12-10_090000", MachineFile("BAD1", "19045", "64-bit", "2026-12-10T09:00:00"),
           broken("C:\\Windows\\SysWOW64"), Log("6.1.97.82"));
    Report("in/b/kit_survey_BAD1_2026-12-01_090000", MachineFile("BAD1", "19045", "64-bit", "2026-12-01T09:00:00"), works,
           Log("6.1.98.39"));
    Report("in/b/kit_survey_BAD2_2026-12-10_090000", MachineFile("BAD2", "19045", "64-bit", "2026-12-10T09:00:00"),
           broken("D:\\Program Files\\My App"), Log("6.1.97.82"));
    Report("in/b/kit_survey_ODD_2026-12-10_090000", MachineFile("ODD", "19045", "64-bit", "2026-12-10T09:00:00"),
           std::string(kHeader) + "probe_mscomctl,MSCOMCTL.OCX,works,Form1,\r\nprobe_ado26,msado26.tlb,broken,"
                                  "\"=HYPERLINK(\"\"x\"\") <script>alert(1)</script>\",\r\n",
           Log("6.1.98.39"));
    // An earlier kit: four columns, no machine.txt, no probe_ado26; the page names the Windows.
    Report("in/b/kit_survey_OLD_PC_2025-01-02_030405", "",
           "program,component,verdict,message\r\nprobe_mscomctl,MSCOMCTL.OCX,works,Form1\r\n", Log("6.1.98.39"));
    Write("in/b/kit_survey_OLD_PC_2025-01-02_030405/report.html",
          "<!DOCTYPE html><html><head><style>x</style></head><body>\n<h1>Kit survey of OLD_PC (32-bit Windows 5.1 build "
          "2600 Service Pack 3), 2025-01-02 03:04:05</h1>");
    // Two machines of one name on different Windows.
    Report("in/c/kit_survey_TWIN_2026-12-09_100000", MachineFile("TWIN", "19045", "64-bit", "2026-12-09T10:00:00"), works, Log("6.1.98.39"));
    Report("in/d/kit_survey_TWIN_2026-12-09_100000", MachineFile("TWIN", "2600", "32-bit", "2026-12-09T10:00:00"), works, Log("6.1.98.39"));
  }
  void TearDown() override { fs::remove_all(m_root); }

  void Write(const std::string& file, const std::string& bytes) {
    fs::create_directories((m_root / file).parent_path());
    std::ofstream(m_root / file, std::ios::binary) << bytes;
  }
  void Report(const std::string& folder, const std::string& machine, const std::string& csv, const std::string& log) {
    if (!machine.empty()) Write(folder + "/machine.txt", machine);
    Write(folder + "/report.csv", csv);
    Write(folder + "/DLLver.log", log);
  }

  Fleet Merge(std::wstring_view since = {}) {
    return ReadFleet(FindReports({m_root / "in"}, m_root / "out"), since);
  }

  const FleetMachine* Machine(const Fleet& fleet, std::wstring_view name) {
    const auto it = std::ranges::find(fleet.machines, name, &FleetMachine::name);
    return it == fleet.machines.end() ? nullptr : &*it;
  }

  fs::path m_root;
};

TEST_F(FleetTest, BrokenMachinesGroupByCauseAndTheTellingComponentVersionIsNamed) {
  const Fleet fleet = Merge();
  ASSERT_EQ(fleet.groups.size(), 2u);
  const CauseGroup& shared = fleet.groups[0];  // probe_mscomctl: the paths differ, the cause is one
  EXPECT_EQ(shared.program, L"probe_mscomctl");
  EXPECT_EQ(shared.cause, L"\u2026\\MSCOMCTL.OCX needs COMCTL32.dll 6.0");
  ASSERT_EQ(shared.machines.size(), 2u);
  EXPECT_EQ(fleet.machines[shared.machines[0]].name, L"BAD1");
  EXPECT_EQ(fleet.machines[shared.machines[1]].name, L"BAD2");
  ASSERT_EQ(shared.apart.size(), 1u) << shared.apart.size();
  const SetApart& apart = shared.apart[0];
  EXPECT_EQ(apart.file, L"MSCOMCTL.OCX");
  EXPECT_EQ(apart.attribute, L"version");
  EXPECT_EQ(apart.groupValue, L"6.1.97.82");
  EXPECT_EQ(apart.workingValue, L"6.1.98.39");
  EXPECT_EQ(apart.workingSame, 0);
  EXPECT_EQ(apart.workingValueCount, 5) << "ODD, the three GOODs and a TWIN: the working machines on their Windows";
  // The other broken one: the message, as no cause was found; GOOD3's SysWOW64 on D: is no other place.
  EXPECT_EQ(fleet.groups[1].program, L"probe_ado26");
  ASSERT_EQ(fleet.groups[1].machines.size(), 1u);
  EXPECT_EQ(fleet.machines[fleet.groups[1].machines[0]].name, L"ODD");
  for (const ComponentSpread& spread : fleet.spread) EXPECT_NE(spread.attribute, L"location") << spread.file;
}

// The system's own files follow the Windows build: a group whose machines share a build shares
// them, and is not set apart by them from the working machines on other builds.
TEST_F(FleetTest, AFileThatFollowsTheBuildDoesNotSetAGroupApart) {
  const std::string works = std::string(kHeader) + "probe_mscomctl,MSCOMCTL.OCX,works,Form1,\r\n";
  const std::string broken = std::string(kHeader) + "probe_mscomctl,MSCOMCTL.OCX,broken,Form1 never opened,\r\n";
  for (const char* name : {"W7A", "W7B", "W7C"}) {
    Report(std::string("builds/kit_survey_") + name + "_2026-12-09_100000", MachineFile(name, "7601", "64-bit", "2026-12-09T10:00:00"),
           name[2] == 'A' ? broken : works, Log("6.1.98.39", "C:\\WINDOWS\\system32", "6.0.97.98"));
  }
  const Fleet fleet = ReadFleet(FindReports({m_root / "in", m_root / "builds"}, m_root / "out"), {});
  const auto group = std::ranges::find(fleet.groups, std::wstring(L"Form1 never opened"), &CauseGroup::cause);
  ASSERT_NE(group, fleet.groups.end());
  EXPECT_TRUE(group->apart.empty()) << group->apart.front().file << " " << group->apart.front().groupValue;
}

TEST_F(FleetTest, VerdictsAreCountedPerProgramFailingFirst) {
  const Fleet fleet = Merge();
  EXPECT_EQ(fleet.machines.size(), 9u);
  EXPECT_EQ(std::ranges::count(fleet.machines, true, &FleetMachine::broken), 3);
  ASSERT_EQ(fleet.programs.size(), 2u);
  EXPECT_EQ(fleet.programs[0].program, L"probe_mscomctl");
  using Counts = std::vector<std::pair<std::wstring, int>>;
  EXPECT_EQ(fleet.programs[0].verdicts, (Counts{{L"broken", 2}, {L"works", 7}}));
  EXPECT_EQ(fleet.programs[1].verdicts, (Counts{{L"broken", 1}, {L"works", 7}})) << "OLD_PC's kit had no probe_ado26";
}

TEST_F(FleetTest, EarlierKitsAreReadFromTheFolderNameAndThePageHeading) {
  const Fleet fleet = Merge();
  const FleetMachine* old = Machine(fleet, L"OLD_PC");
  ASSERT_NE(old, nullptr);
  const MachineFacts& facts = fleet.reports[old->report].facts;
  EXPECT_EQ(facts.surveyed, L"2025-01-02T03:04:05");
  EXPECT_EQ(facts.windows, L"32-bit Windows 5.1 build 2600 Service Pack 3");
  EXPECT_EQ(facts.build, L"2600");
  EXPECT_EQ(facts.architecture, L"32-bit");
  EXPECT_EQ(fleet.reports[old->report].rows.size(), 1u);
  // Neither machine.txt nor a page: the name's parts still tell the machine; a foreign name tells nothing.
  MachineFacts fromName;
  EXPECT_TRUE(FactsFromFolderName(L"kit_survey_PC_7_2026-12-09_140300", fromName));
  EXPECT_EQ(fromName.machine, L"PC_7");
  EXPECT_FALSE(FactsFromFolderName(L"kit_survey_2026-12-09_140300", fromName));
  EXPECT_FALSE(FactsFromFolderName(L"kit_survey_PC_2026-12-09_1403", fromName));
}

TEST_F(FleetTest, ReportsThatCannotBeUsedAreListedWithTheReasonAndTheRestMerged) {
  struct Case {
    const char* folder;
    const char* csv;  // nullptr: no report.csv
    const wchar_t* reason;
  };
  const Case cases[] = {
      {"kit_survey_FOREIGN_2026-12-09_100000", "name,age\r\nx,1\r\n", L"first line"},
      {"kit_survey_EMPTY_2026-12-09_100000", "", L"empty"},
      {"kit_survey_HALF_2026-12-09_100000", "program,component,verdict,message,cause\r\nprobe_a,A.OCX,works,ok,\r\nin progress: 1 of 29\r\n",
       L"did not finish (in progress: 1 of 29)"},
      {"kit_survey_NOCSV_2026-12-09_100000", nullptr, L"no report.csv"},
  };
  for (const Case& c : cases) {
    Write(std::string("in/e/") + c.folder + "/machine.txt", "machine=X\n");
    if (c.csv) Write(std::string("in/e/") + c.folder + "/report.csv", c.csv);
  }
  Write("in/e/kit_survey_BINARY_2026-12-09_100000/report.csv", std::string("program,component,verdict,message\n\xff\0\"x", 36));
  const Fleet fleet = Merge();
  EXPECT_EQ(fleet.machines.size(), 10u) << "the nine and BINARY's (damaged but a report)";
  ASSERT_EQ(fleet.unreadable.size(), std::size(cases));
  for (const Case& c : cases) {
    const auto found = std::ranges::find_if(fleet.unreadable, [&](const Unreadable& u) {
      return u.where.find(fs::path(c.folder).wstring()) != std::wstring::npos;
    });
    ASSERT_NE(found, fleet.unreadable.end()) << c.folder;
    EXPECT_NE(found->reason.find(c.reason), std::wstring::npos) << c.folder;
  }
}

TEST_F(FleetTest, TheLatestReportCountsAndTheChangeSinceThePreviousIsShown) {
  const Fleet fleet = Merge();
  const FleetMachine* bad1 = Machine(fleet, L"BAD1");
  ASSERT_NE(bad1, nullptr);
  EXPECT_EQ(fleet.reports[bad1->report].facts.surveyed, L"2026-12-10T09:00:00");
  EXPECT_EQ(bad1->previousSurveyed, L"2026-12-01T09:00:00");
  ASSERT_EQ(bad1->changes.size(), 1u);
  EXPECT_EQ(bad1->changes[0].program, L"probe_mscomctl");
  EXPECT_EQ(bad1->changes[0].before, L"works");
  EXPECT_EQ(bad1->changes[0].now, L"broken");
  // Since a date: earlier reports are left out, the earlier kit's among them.
  const Fleet recent = Merge(L"2026-12-10");
  EXPECT_EQ(recent.machines.size(), 3u);
  EXPECT_EQ(recent.before, 7u);
}

TEST_F(FleetTest, TwoMachinesOfOneNameAreToldApart) {
  const Fleet fleet = Merge();
  EXPECT_NE(Machine(fleet, L"TWIN [64-bit, build 19045]"), nullptr);
  EXPECT_NE(Machine(fleet, L"TWIN [32-bit, build 2600]"), nullptr);
  EXPECT_EQ(Machine(fleet, L"TWIN"), nullptr);
}

TEST_F(FleetTest, ThePageLinksEachRemarkableMachineAndEscapesEveryText) {
  const std::string html = RenderFleetHtml(Merge());
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
  EXPECT_NE(html.find("<a href=\"../in/b/kit_survey_BAD2_2026-12-10_090000/report.html\">BAD2</a>"), std::string::npos) << html;
  // The same links whatever way the path is written.
  const std::string given = (m_root / "in" / "b" / ".." / "").string();
  const std::string again = RenderFleetHtml(ReadFleet(FindReports({given}, (m_root / "out").string()), {}));
  EXPECT_NE(again.find("<a href=\"../in/b/kit_survey_BAD2_2026-12-10_090000/report.html\">BAD2</a>"), std::string::npos);
  EXPECT_NE(html.find("both broken machines have MSCOMCTL.OCX version 6.1.97.82; 5 working ones on the same Windows have 6.1.98.39"), std::string::npos);
  // In the machine table: the three broken machines only; the six others counted.
  const std::string table = html.substr(html.find("<table id=\"machines\">"));
  EXPECT_EQ(table.find(">GOOD1<"), std::string::npos);
  EXPECT_NE(table.find(">ODD<"), std::string::npos);
  EXPECT_NE(table.find("6 other machines"), std::string::npos) << table;
}

TEST_F(FleetTest, TheCsvHasARowPerMachineAndProgramGuardedAsTheReportIs) {
  const Fleet fleet = Merge();
  const std::string csv = WriteFleetCsv(fleet);
  EXPECT_TRUE(csv.starts_with(std::string("\xEF\xBB\xBF") + kFleetCsvHeader + "\r\n"));
  EXPECT_EQ(std::ranges::count(csv, '\n'), 1 + 8 * 2 + 1);
  EXPECT_NE(csv.find("BAD2,Windows 10.0,probe_mscomctl,broken,MSCOMCTL.OCX: error 339,D:\\Program Files\\My App\\MSCOMCTL.OCX"),
            std::string::npos);
  EXPECT_NE(csv.find("ODD,Windows 10.0,probe_ado26,broken,\"'=HYPERLINK(\"\"x\"\") <script>"), std::string::npos) << csv;
  // The fifth column read back; a four-column report still reads, its cause empty.
  EXPECT_EQ(fleet.texts.Text(fleet.reports[Machine(fleet, L"BAD2")->report].rows[0].cause),
            L"D:\\Program Files\\My App\\MSCOMCTL.OCX needs COMCTL32.dll 6.0");
  EXPECT_EQ(fleet.texts.Text(fleet.reports[Machine(fleet, L"OLD_PC")->report].rows[0].cause), L"");
}

TEST(FleetCause, PathsAreReducedToFileNames) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\Program Files\\App\\x.dll needs C:\\Windows\\y.dll", L"\u2026\\x.dll needs \u2026\\y.dll"},
      {L"the ProgID A.B is not registered (C:\\WINDOWS\\system32\\a.ocx)", L"the ProgID A.B is not registered (\u2026\\a.ocx)"},
      {L"\\\\server\\share\\z.ocx: bad image", L"\u2026\\z.ocx: bad image"},
      {L"VELcdg.dll 1.0.3.2 at D:\\Apps\\VELcdg.dll lacks vel_cdg_grid", L"VELcdg.dll 1.0.3.2 at \u2026\\VELcdg.dll lacks vel_cdg_grid"},
      {L"no path here: 1:2", L"no path here: 1:2"},
  };
  for (const auto& [text, reduced] : cases) EXPECT_EQ(ReducePaths(text), reduced) << text;
}

// A place is compared in lower case, System32 and SysWOW64 as one, and shown as the log spells it.
TEST(FleetCause, PlacesAreComparedWithoutCaseAndShownAsSpelt) {
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\WINDOWS\\SysWOW64\\MSCOMCTL.OCX", L"<system folder>\\mscomctl.ocx", L"<system folder>\\MSCOMCTL.OCX"},
      {L"D:\\WinNT\\system32\\Sub/Vel.dll", L"<system folder>\\sub\\vel.dll", L"<system folder>\\Sub\\Vel.dll"},
      {L"D:\\Apps\\Sales\\VELcdg.dll", L"d:\\apps\\sales\\velcdg.dll", L"D:\\Apps\\Sales\\VELcdg.dll"},
      {L"\\\\server\\share\\X.ocx", L"\\\\server\\share\\x.ocx", L"\\\\server\\share\\X.ocx"},
  };
  for (const auto& [file, compared, shown] : cases) {
    EXPECT_EQ(kit::report::ComponentPlace(file), compared) << file;
    EXPECT_EQ(kit::report::ShownComponentPlace(file), shown) << file;
  }
}

}  // namespace
