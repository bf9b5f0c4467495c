// kit_fleet over zip archives of reports as they come back from the field: the layouts the tools
// make (a folder zipped whole, with or without folder entries; files zipped at the root; many
// folders nested in one archive; backslashes; a gateway's ".ZIP"; names leading outside; DOS code
// page names), archives that cannot be read (listed with kit_zip's reason, the merge going on), a
// report and its zipped copy counted once, and one reading of an archive shared by its reports.
#include "fleet/fleet_page.h"
#include "fleet/fleet_read.h"
#include "fleet/report_archives.h"
#include "tests/unit/zip_maker.h"

#include "common/utf8_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {
using namespace kit::fleet;
using kit::test::MadeZip;
using kit::test::MakeZip;
using kit::test::ZipMember;
namespace fs = std::filesystem;

std::string Csv(const char* verdict) {
  return std::string("\xEF\xBB\xBFprogram,component,verdict,message,cause\r\nprobe_mscomctl,MSCOMCTL.OCX,") + verdict +
         ",Form1,\r\n";
}

// A report's files under `folder` ("" for the archive's root), as the survey writes them.
std::vector<ZipMember> ReportMembers(const std::string& folder, std::uint16_t flags = 0, const char* verdict = "works") {
  const std::string at = folder.empty() ? "" : folder + "/";
  return {{at + "report.csv", Csv(verdict), true, flags},
          {at + "DLLver.log", "File version verification\r\n\r\nFile,Reg_Info,Date,Size,Version\r\n", true, flags}};
}

std::vector<ZipMember> Joined(std::vector<std::vector<ZipMember>> parts) {
  std::vector<ZipMember> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class FleetArchiveTest : public testing::Test {
protected:
  void SetUp() override {
    m_root = fs::temp_directory_path() / ("kit_fleet_archive_test_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(m_root);
    fs::create_directories(m_root);
  }
  void TearDown() override { fs::remove_all(m_root); }

  fs::path Write(const std::string& file, const std::string& bytes) {
    fs::create_directories((m_root / file).parent_path());
    std::ofstream(m_root / file, std::ios::binary) << bytes;
    return m_root / file;
  }
  void Folder(const std::string& folder, const char* verdict, const char* surveyed) {
    Write(folder + "/report.csv", Csv(verdict));
    Write(folder + "/machine.txt", std::string("machine=DUP\nwindows=Windows 10.0\nbuild=19045\narchitecture=64-bit\nsurveyed=") +
                                       surveyed + "\n");
  }

  Fleet Merge(const std::vector<fs::path>& paths, const fs::path& out) {
    return ReadFleet(FindReports(std::vector<DiskPath>(paths.begin(), paths.end()), out), {});
  }

  fs::path m_root;
};

TEST_F(FleetArchiveTest, ArchivesAsToolsMakeThemAreReadAsTheirReports) {
  struct Found {
    std::string inside;  // the report's folder in the archive, '/' between names; "" at the root
    std::wstring name, machine;
  };
  struct Case {
    const char* what;
    const char* archive;
    std::vector<ZipMember> members;
    std::vector<Found> found;
  };
  const std::string pc7 = "kit_survey_PC7_2026-12-09_140300";
  const Case cases[] = {
      {"the system's compressed folder: no folder entries", "kit_survey_PC7_2026-12-09_140300.zip", ReportMembers(pc7),
       {{pc7, L"kit_survey_PC7_2026-12-09_140300", L"PC7"}}},
      {"zipped from inside the folder: the report takes the archive's name", "kit_survey_PC8_2026-12-09_140300.zip",
       ReportMembers(""), {{"", L"kit_survey_PC8_2026-12-09_140300", L"PC8"}}},
      {"7-Zip and Info-ZIP: folder entries first", "pc9.zip",
       Joined({{{"kit_survey_PC9_2026-12-09_140300/", ""}}, ReportMembers("kit_survey_PC9_2026-12-09_140300")}),
       {{"kit_survey_PC9_2026-12-09_140300", L"kit_survey_PC9_2026-12-09_140300", L"PC9"}}},
      {"a share's tree, reports nested at two depths, other files and a Mac's resource forks passed over", "share.zip",
       Joined({ReportMembers("site1/kit_survey_A1_2026-12-09_140300"), ReportMembers("site2/old/kit_survey_A2_2026-12-09_140300"),
               {{"site1/readme.txt", "x"}, {"__MACOSX/site1/kit_survey_A1_2026-12-09_140300/._report.csv", "fork"}}}),
       {{"site1/kit_survey_A1_2026-12-09_140300", L"kit_survey_A1_2026-12-09_140300", L"A1"},
        {"site2/old/kit_survey_A2_2026-12-09_140300", L"kit_survey_A2_2026-12-09_140300", L"A2"}}},
      {"names written with backslashes", "bs.zip",
       {{"reports\\kit_survey_BS_2026-12-09_140300\\report.csv", Csv("works"), true}},
       {{"reports/kit_survey_BS_2026-12-09_140300", L"kit_survey_BS_2026-12-09_140300", L"BS"}}},
      {"renamed by a mail gateway, file names in capitals", "MAILED.ZIP",
       {{"kit_survey_MAILED_2026-12-09_140300/REPORT.CSV", Csv("works")}},
       {{"kit_survey_MAILED_2026-12-09_140300", L"kit_survey_MAILED_2026-12-09_140300", L"MAILED"}}},
      {"names leading out of the archive are only names", "dots.zip",
       Joined({ReportMembers("../kit_survey_DOTS_2026-12-09_140300"), ReportMembers("/kit_survey_ROOT_2026-12-09_140300")}),
       {{"../kit_survey_DOTS_2026-12-09_140300", L"kit_survey_DOTS_2026-12-09_140300", L"DOTS"},
        {"/kit_survey_ROOT_2026-12-09_140300", L"kit_survey_ROOT_2026-12-09_140300", L"ROOT"}}},
      {"the DOS code page without the UTF-8 mark, UTF-8 with it and without", "dos.zip",
       Joined({ReportMembers("kit_survey_M\x9aLLER_2026-12-09_140300"),
               ReportMembers("kit_survey_\xC3\x89T\xC3\x89_2026-12-09_140300", 0x0800),
               ReportMembers("kit_survey_\xC5\xBD\x41_2026-12-09_140300")}),
       {{"kit_survey_M\x9aLLER_2026-12-09_140300", L"kit_survey_M\u00DCLLER_2026-12-09_140300", L"M\u00DCLLER"},
        {"kit_survey_\xC3\x89T\xC3\x89_2026-12-09_140300", L"kit_survey_\u00C9T\u00C9_2026-12-09_140300", L"\u00C9T\u00C9"},
        {"kit_survey_\xC5\xBD\x41_2026-12-09_140300", L"kit_survey_\u017DA_2026-12-09_140300", L"\u017DA"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path archive = Write(std::string("in/") + c.archive, MakeZip(c.members).bytes);
    const FoundReports found = FindReports({archive.native()}, (m_root / "out").native());
    EXPECT_TRUE(found.problems.empty()) << (found.problems.empty() ? "" : kit::ToUtf8(found.problems[0].second));
    ASSERT_EQ(found.reports.size(), c.found.size());
    // Found in the order of the folders' names as stored.
    std::vector<Found> expected = c.found;
    std::ranges::sort(expected, {}, &Found::inside);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const ReportFiles& files = *found.reports[i];
      // The archive, then the folders inside it (ASCII here) and the report's own, as a path shows them.
      const std::string& inside = expected[i].inside;
      const std::wstring where = inside.empty() ? archive.wstring()
                                                : archive.wstring() + L"/" + kit::FromUtf8(inside.substr(0, inside.rfind('/') + 1)) + expected[i].name;
      EXPECT_EQ(files.Name(), expected[i].name);
      EXPECT_EQ(files.Where(), where);
      EXPECT_EQ(files.PageLink(), L"../in/" + kit::FromUtf8(c.archive)) << "the archive itself, relative to the page";
      TextPool texts;
      const MachineReport report = ReadMachineReport(files, texts);
      EXPECT_EQ(report.problem, L"");
      EXPECT_EQ(report.facts.machine, expected[i].machine);
      EXPECT_EQ(report.rows.size(), 1u);
    }
  }
  EXPECT_FALSE(fs::exists(m_root.parent_path() / "kit_survey_DOTS_2026-12-09_140300")) << "nothing is written from an archive";
  EXPECT_FALSE(fs::exists(m_root / "kit_survey_DOTS_2026-12-09_140300"));
}

TEST_F(FleetArchiveTest, ArchivesThatCannotBeReadAreListedWithTheReasonAndTheMergeGoesOn) {
  const auto report = [] { return ReportMembers("kit_survey_Z_2026-12-09_140300"); };
  const auto damaged = [](const std::function<void(MadeZip&)>& damage, const std::vector<ZipMember>& members) {
    MadeZip made = MakeZip(members);
    damage(made);
    return made.bytes;
  };
  std::vector<ZipMember> locked = report();
  locked[0].flags = 1;
  std::vector<ZipMember> stored = report();
  stored[0].deflated = false;
  const std::pair<const char*, std::string> archives[] = {
      {"empty.zip", MakeZip({}).bytes},
      {"other.zip", MakeZip({{"notes/readme.txt", "x"}}).bytes},
      {"garbage.zip", "this is no archive at all, whatever its name says"},
      {"cut.zip", MakeZip(report()).bytes.substr(0, 60)},
      {"zip64.zip", damaged([](MadeZip& m) { kit::test::Put32(m.bytes, m.end + 16, 0xFFFFFFFF); }, report())},
      {"split.zip", damaged([](MadeZip& m) { kit::test::Put16(m.bytes, m.end + 4, 1); }, report())},
      {"locked.zip", MakeZip(locked).bytes},
      {"damaged.zip", damaged([&](MadeZip& m) { m.bytes[m.local[0] + 30 + stored[0].name.size() + 5] ^= 1; }, stored)},
      {"bzip2.zip", damaged([](MadeZip& m) { kit::test::Put16(m.bytes, m.central[0] + 10, 12); }, report())},
  };
  const std::pair<const char*, const wchar_t*> reasons[] = {
      {"empty.zip", L"an empty archive"},
      {"other.zip", L"holds no survey report (1 entry:"},
      {"garbage.zip", L"not a zip archive"},
      {"cut.zip", L"not a zip archive: no end record"},
      {"zip64.zip", L"zip64"},
      {"split.zip", L"split over several disks"},
      {"locked.zip" "/kit_survey_Z_2026-12-09_140300", L"encrypted"},
      {"damaged.zip" "/kit_survey_Z_2026-12-09_140300", L"checksum does not match"},
      {"bzip2.zip" "/kit_survey_Z_2026-12-09_140300", L"method 12"},
  };
  for (const auto& [name, bytes] : archives) Write(std::string("in/mail/") + name, bytes);
  Folder("in/kit_survey_DUP_2026-12-09_140300", "works", "2026-12-09T14:03:00");
  const Fleet fleet = Merge({m_root / "in"}, m_root / "out");
  EXPECT_EQ(fleet.machines.size(), 1u) << "the readable report merged";
  ASSERT_EQ(fleet.unreadable.size(), std::size(reasons));
  for (const auto& [where, reason] : reasons) {
    const std::wstring place = (m_root / "in/mail" / where).wstring();
    const auto found = std::ranges::find(fleet.unreadable, place, &Unreadable::where);
    ASSERT_NE(found, fleet.unreadable.end()) << where;
    EXPECT_NE(found->reason.find(reason), std::wstring::npos) << where << ": " << kit::ToUtf8(found->reason);
  }
}

TEST_F(FleetArchiveTest, AReportAndItsZippedCopyAreOneSurvey) {
  // The folder, the same report zipped beside it (and again in a mail folder), and an earlier report.
  Folder("in/kit_survey_DUP_2026-12-01_090000", "works", "2026-12-01T09:00:00");
  Folder("in/kit_survey_DUP_2026-12-10_090000", "broken", "2026-12-10T09:00:00");
  std::vector<ZipMember> copy = ReportMembers("kit_survey_DUP_2026-12-10_090000", 0, "broken");
  copy.push_back({"kit_survey_DUP_2026-12-10_090000/machine.txt",
                  "machine=DUP\nwindows=Windows 10.0\nbuild=19045\narchitecture=64-bit\nsurveyed=2026-12-10T09:00:00\n"});
  Write("in/kit_survey_DUP_2026-12-10_090000.zip", MakeZip(copy).bytes);
  Write("mail/kit_survey_DUP_2026-12-10_090000.zip", MakeZip(copy).bytes);
  Write("mail/kit_survey_ZIPPED_2026-12-10_090000.zip", MakeZip(ReportMembers("kit_survey_ZIPPED_2026-12-10_090000", 0, "broken")).bytes);
  // Relative paths and a fleet's folder that does not exist yet, as kit_fleet is mostly started.
  const fs::path before = fs::current_path();
  fs::current_path(m_root);
  const Fleet fleet = Merge({"in", "mail"}, "out/today");
  fs::current_path(before);

  ASSERT_EQ(fleet.machines.size(), 2u);
  const FleetMachine& dup = fleet.machines[0];
  EXPECT_EQ(dup.name, L"DUP");
  EXPECT_EQ(dup.previousSurveyed, L"2026-12-01T09:00:00") << "the copy is no previous report";
  ASSERT_EQ(dup.changes.size(), 1u);
  EXPECT_EQ(dup.changes[0].before, L"works");
  EXPECT_EQ(fleet.programs[0].verdicts, (std::vector<std::pair<std::wstring, int>>{{L"broken", 2}}));
  const std::string html = RenderFleetHtml(fleet);
  EXPECT_NE(html.find("<a href=\"../../in/kit_survey_DUP_2026-12-10_090000/report.html\">DUP</a><"), std::string::npos)
      << "the folder's page, found first, stands for its copies:\n" << html;
  EXPECT_NE(html.find("<a href=\"../../mail/kit_survey_ZIPPED_2026-12-10_090000.zip\">ZIPPED</a> (zip)"), std::string::npos)
      << "a zipped report links to its archive, and says so";
}

TEST_F(FleetArchiveTest, AnArchiveIsReadOnceAndSharedByItsReports) {
  const MadeZip made = MakeZip(Joined({ReportMembers("kit_survey_A_2026-12-09_140300"), ReportMembers("kit_survey_B_2026-12-09_140300")}));
  const fs::path archive = Write("in/two.zip", made.bytes);
  for (const std::uint64_t budget : {std::uint64_t{1} << 20, std::uint64_t{0}}) {
    SCOPED_TRACE(budget);
    Write("in/two.zip", made.bytes);
    FoundReports found;
    std::uint64_t keepable = budget;
    FindArchiveReports(archive.native(), L"two.zip", found, keepable);
    ASSERT_EQ(found.reports.size(), 2u);
    const bool kept = budget != 0;
    EXPECT_EQ(keepable, kept ? budget - made.bytes.size() : 0u);
    // Kept, the archive is not read again; beyond the budget, it is read again at the first read.
    fs::remove(archive);
    for (const auto& report : found.reports) {
      const std::optional<std::string> csv = report->Read("report.csv", 1 << 20);
      EXPECT_EQ(csv.has_value(), kept) << kit::ToUtf8(report->Name());
      if (csv) {
        EXPECT_EQ(*csv, Csv("works"));
      }
      const std::optional<std::string> head = report->Read("REPORT.csv", 5);
      EXPECT_EQ(head.value_or("<none>"), kept ? Csv("works").substr(0, 5) : "<none>") << "at most the bytes asked for";
      EXPECT_FALSE(report->Read("machine.txt", 100)) << "a file the report lacks";
    }
  }
}

}  // namespace
