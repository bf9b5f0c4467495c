// The run: column arithmetic, the log format, where each line lands on the window, and a log
// file that cannot be written. The tables of both programs are checked for their exact rows.
#include "fake_os.h"
#include "verifier/ole_date.h"
#include "verifier/report_run.h"

#include <gtest/gtest.h>

namespace kit::verifier::testing {
namespace {

constexpr std::int32_t kLine = 195;   // 13 pixels
constexpr std::int32_t kPixel = 15;

struct Drawn {
  std::int32_t x, y;
  std::wstring text;
};
struct Line {
  std::int32_t x1, y1, x2, y2;
  int color;
};

class RecordingSurface : public ReportSurface {
public:
  std::int32_t width = 16800;
  std::vector<Drawn> texts;
  std::vector<Line> lines;
  int clears = 0;

  void Clear() override {
    ++clears;
    texts.clear();
    lines.clear();
  }
  std::int32_t WindowWidth() override { return width; }
  std::int32_t PixelHeight() override { return kPixel; }
  std::int32_t LineHeight() override { return kLine; }
  std::int32_t PrintText(std::int32_t x, std::int32_t y, std::wstring_view text) override {
    texts.push_back({x, y, std::wstring(text)});
    return static_cast<std::int32_t>(text.size()) * 90;
  }
  void DrawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, int color) override {
    lines.push_back({x1, y1, x2, y2, color});
  }
  std::vector<std::wstring> TextsAt(std::int32_t y) const {
    std::vector<std::wstring> found;
    for (const Drawn& d : texts) {
      if (d.y == y) found.push_back(d.text);
    }
    return found;
  }
};

class RecordingLog : public LogFile {
public:
  std::wstring name;
  std::vector<std::wstring> lines;
  bool open = false;
  std::uint32_t openError = 0;
  std::size_t failAtLine = SIZE_MAX;

  std::uint32_t Open(std::wstring_view file) override {
    if (openError) return openError;
    name = file;
    lines.clear();
    open = true;
    return 0;
  }
  std::uint32_t WriteLine(std::wstring_view line) override {
    if (!open) return 6;
    if (lines.size() == failAtLine) return 112;
    lines.emplace_back(line);
    return 0;
  }
  std::uint32_t Close() override {
    open = false;
    return 0;
  }
};

TEST(ReportLayout, ColumnsRoundHalvesToEven) {
  EXPECT_EQ(ColumnPositions(16800), (std::array<std::int32_t, 4>{6720, 8400, 10920, 14280}));
  EXPECT_EQ(ColumnPositions(1001)[1], 500);  // 500.5
  EXPECT_EQ(ColumnPositions(1003)[1], 502);  // 501.5
  EXPECT_EQ(ColumnPositions(5)[0], 2);       // 2.0000000000000004 is not a half
  EXPECT_EQ(ColumnPositions(1010)[2], 656);  // 656.5
  EXPECT_EQ(ColumnPositions(1030)[2], 670);  // 669.5
  EXPECT_EQ(ColumnPositions(0), (std::array<std::int32_t, 4>{0, 0, 0, 0}));
}

TEST(ReportLayout, LogLinesJoinFiveFieldsWithNaForMissingDateAndSize) {
  EXPECT_EQ(LogLine({L"Unable to locate x.dll", L"", L"", L"", L""}), L"Unable to locate x.dll,,na,na,");
  EXPECT_EQ(LogLine({L"C:\\a,b.dll", L"n/a", L"1/2/2003", L"10 bytes", L"1.0.0.0"}),
            L"C:\\a,b.dll,n/a,1/2/2003,10 bytes,1.0.0.0");
  EXPECT_EQ(SizeText(-5), L"-5 bytes");
  EXPECT_EQ(SizeText(2147483647), L"2147483647 bytes");
  EXPECT_EQ(ReportTitle(L"7/12/2026", L"Unknown"), L"File version verification 7/12/2026 on Unknown");
}

class RunTest : public ::testing::Test {
protected:
  RunTest() {
    os.osVersion = OsVersionInfo{5, 0, 2195, 2};
    os.today = OleDateFromCivil({2026, 12, 7});
    os.libraries[L"advpack.dll"] = {L"C:\\Windows\\system32\\advpack.dll"};
    os.fileFacts[L"C:\\Windows\\system32\\advpack.dll"] = {102400, OleDateFromCivil({2003, 2, 1, 10, 30, 0})};
    os.versions[L"C:\\Windows\\system32\\advpack.dll"] = {0x00060000, 0x1FE90000};
    os.libraries[L"empty.dll"] = {L"C:\\empty.dll"};
    os.fileFacts[L"C:\\empty.dll"] = {0, OleDateFromCivil({2020, 1, 1})};
  }

  std::uint32_t Run() {
    settings.components = components;
    settings.logFileName = L"DLLver.log";
    return RunVerification(settings, os, surface, log);
  }

  std::vector<std::wstring_view> components{L"advpack.dll", L"VELcdg.dll", L"empty.dll", L"advpack.dll"};
  VerifierSettings settings;
  FakeOs os;
  RecordingSurface surface;
  RecordingLog log;
};

TEST_F(RunTest, LogHoldsTitleHeaderOneLinePerRowAndTheMdacLine) {
  os.Key(kLocalMachine, L"SOFTWARE\\Microsoft\\DataAccess").values[L"FullInstallVer"] = TextValue("2.81.1117.0");
  ASSERT_EQ(Run(), 0u);
  EXPECT_FALSE(log.open) << "closed at the end";
  EXPECT_EQ(log.name, L"DLLver.log");
  const std::vector<std::wstring> expected = {
      L"File version verification 7/12/2026 on Windows 2000 (Build 2195)",
      L"",
      L"File,Reg_Info,Date,Size,Version",
      L"C:\\Windows\\system32\\advpack.dll,n/a,1/2/2003,102400 bytes,6.0.8169.0",
      L"Unable to locate VELcdg.dll,,na,na,",
      L"C:\\empty.dll,n/a,1/1/2020,na,",
      L"C:\\Windows\\system32\\advpack.dll,n/a,1/2/2003,102400 bytes,6.0.8169.0",
      L"MDAC,2.81.1117.0",
  };
  EXPECT_EQ(log.lines, expected);
  EXPECT_EQ(os.CallCount(L"QueryOsVersion"), 2) << "once for the window, once for the log";
  EXPECT_EQ(os.searchCalls, 1);
}

TEST_F(RunTest, WindowLinesLandWhereTheLayoutPutsThem) {
  surface.width = 16800;
  ASSERT_EQ(Run(), 0u);
  EXPECT_EQ(surface.clears, 1);
  EXPECT_EQ(surface.TextsAt(0), std::vector<std::wstring>{L"File version verification 7/12/2026 on Windows 2000 (Build 2195)"});
  EXPECT_EQ(surface.TextsAt(kLine), std::vector<std::wstring>{L""});
  EXPECT_EQ(surface.TextsAt(2 * kLine), (std::vector<std::wstring>{L"File", L"Reg_Info", L"Date", L"Size", L"Version"}));
  ASSERT_EQ(surface.lines.size(), 2u);
  EXPECT_EQ(surface.lines[0].y1, 3 * kLine);
  EXPECT_EQ(surface.lines[0].x2, 16800);
  EXPECT_EQ(surface.lines[0].color, kColorButtonShadow);
  EXPECT_EQ(surface.lines[1].y1, 3 * kLine + kPixel);
  EXPECT_EQ(surface.lines[1].color, kColor3dHighlight);

  const std::int32_t firstRow = 3 * kLine + 5 * kPixel;
  // A located row fills all five columns at their places.
  std::vector<Drawn> row;
  for (const Drawn& d : surface.texts) {
    if (d.y == firstRow) row.push_back(d);
  }
  ASSERT_EQ(row.size(), 5u);
  const std::int32_t xs[] = {0, 6720, 8400, 10920, 14280};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(row[i].x, xs[i]) << "column " << i;
  EXPECT_EQ(row[3].text, L"102400 bytes");
  // Unlocated: the path text, an empty registration and version, nothing in date and size.
  EXPECT_EQ(surface.TextsAt(firstRow + kLine), (std::vector<std::wstring>{L"Unable to locate VELcdg.dll", L"", L""}));
  // Zero bytes: the size cell stays empty.
  EXPECT_EQ(surface.TextsAt(firstRow + 2 * kLine), (std::vector<std::wstring>{L"C:\\empty.dll", L"n/a", L"1/1/2020", L""}));
  // The closing line, after the last row, in the first two columns, without "N/A" elsewhere.
  std::vector<Drawn> closing;
  for (const Drawn& d : surface.texts) {
    if (d.y == firstRow + 4 * kLine) closing.push_back(d);
  }
  ASSERT_EQ(closing.size(), 2u);
  EXPECT_EQ(closing[0].text, L"MDAC");
  EXPECT_EQ(closing[0].x, 0);
  EXPECT_EQ(closing[1].text, L"N/A");
  EXPECT_EQ(closing[1].x, 6720);
  EXPECT_EQ(log.lines.back(), L"MDAC,N/A");
}

TEST_F(RunTest, EveryRunStartsAfreshAndFollowsTheWindowWidth) {
  ASSERT_EQ(Run(), 0u);
  surface.width = 8000;
  os.libraries.erase(L"advpack.dll");
  ASSERT_EQ(Run(), 0u);
  EXPECT_EQ(surface.clears, 2);
  EXPECT_EQ(log.lines.size(), 8u) << "the log holds the latest run only";
  EXPECT_EQ(log.lines[3], L"Unable to locate advpack.dll,,na,na,");
  EXPECT_EQ(surface.lines[0].x2, 8000);
  EXPECT_EQ(surface.TextsAt(2 * kLine).size(), 5u);
  EXPECT_EQ(surface.texts[3].x, 3200) << "Reg_Info header at 0.4 of the narrower window";
}

TEST_F(RunTest, LogThatCannotBeOpenedLeavesTheWindowEmpty) {
  log.openError = 32;  // sharing violation
  EXPECT_EQ(Run(), 32u);
  EXPECT_TRUE(surface.texts.empty());
  EXPECT_EQ(surface.clears, 1);
  EXPECT_EQ(os.CallCount(L"LoadModule"), 0) << "nothing inspected";
}

TEST_F(RunTest, WriteFailureEndsTheRunAtThatStep) {
  log.failAtLine = 4;
  EXPECT_EQ(Run(), 112u);
  EXPECT_EQ(log.lines.size(), 4u);
  EXPECT_EQ(os.CallCount(L"LoadModule"), 2) << "stopped after the second row";
}

// Both tables row by row as the programs must carry them, repeats included; names in the letter
// case they are stored with.
TEST(ComponentTables, BothTablesExactlyAsShipped) {
  const std::vector<std::wstring_view> dravonRows = {
      L"advpack.dll", L"asycfilt.dll", L"comcat.dll", L"msvbvm60.dll", L"oleaut32.dll", L"olepro32.dll",
      L"stdole2.tlb", L"GRAPH32.OCX", L"GRAPHS32.OCX", L"GSPROP32.DLL", L"GSWAG32.DLL", L"GSWDLL32.DLL",
      L"MSVCP71.DLL", L"MSVCR71.DLL", L"MSVCRT.DLL", L"COMDLG32.OCX", L"GRID32.OCX", L"SPIN32.OCX",
      L"TABCTL32.OCX", L"THREED32.OCX", L"MSFLXGRD.OCX", L"COMCTL32.OCX", L"MSCOMCT2.OCX", L"RICHTX32.OCX",
      L"VEL_Intel_Win32.dll", L"VELVBUtils.dll", L"VELcdg.dll", L"VELControlResizer.dll", L"VELGraphControl.ocx",
      L"VELRotation.ocx", L"VELSelectDir.ocx", L"VELSplitter.ocx", L"VELVBTreeView.ocx", L"VELEditControl.ocx",
      L"VELFileView.ocx", L"VELGSMUtility.ocx", L"VELPointTransform.ocx", L"VELProjection.ocx",
      L"VELSEGYUtility.ocx", L"VELGridViewer32.dll", L"VELDGridFileSelector.dll", L"VELProfileModeller.dll",
      L"MFC40.dll", L"MSVCRT40.DLL", L"ADVAPI32.dll", L"olepro32.dll", L"oleaut32.dll", L"GDI32.dll",
      L"WSOCK32.dll", L"COMDLG32.dll", L"COMCTL32.dll", L"WININET.dll", L"msvbvm60.dll", L"advpack.dll"};
  const std::vector<std::wstring_view> halvardRows = {
      L"atl71.dll", L"dapxmlclient.dll", L"dotnettools.dll", L"ermapper_u.dll", L"hlvdist.dll", L"hlvgx.dll",
      L"hlvgx_u.dll", L"hlvgx_utf8.dll", L"hlvnet.dll", L"hlvxnet.dll", L"lfbmp14Nu.dll", L"LFCMP14Nu.dll",
      L"lfeps14Nu.dll", L"lffax14Nu.dll", L"lfgif14Nu.dll", L"lfimg14Nu.dll", L"LFJ2K14Nu.dll", L"lfpcx14Nu.dll",
      L"Lfpng14Nu.dll", L"lfpsd14Nu.dll", L"Lfsid14nu.dll", L"lftga14Nu.dll", L"lftif14Nu.dll", L"ltclr14Nu.dll",
      L"LTDIS14Nu.dll", L"ltfil14Nu.dll", L"ltimg14Nu.dll", L"ltkrn14Nu.dll", L"mfc71.dll", L"mfc71u.dll",
      L"msvcp71.dll", L"msvcr71.dll", L"NCScnet.dll", L"NCSEcw.dll", L"NCSUtil.dll", L"xceedcry.dll"};
  ASSERT_EQ(dravonRows.size(), 54u);
  ASSERT_EQ(halvardRows.size(), 36u);

  struct Expected {
    const VerifierSettings& settings;
    const std::vector<std::wstring_view>& rows;
    std::wstring_view logFileName;
    std::int32_t width, height;
    std::wstring_view fontFace;
  };
  const Expected variants[] = {{DravonSettings(), dravonRows, L"DLLver.log", 16570, 13290, L"Arial"},
                               {HalvardSettings(), halvardRows, L"Halvard_DLLver.log", 8710, 10390, L"MS Sans Serif"}};
  for (const Expected& v : variants) {
    SCOPED_TRACE(std::string(v.logFileName.begin(), v.logFileName.end()));
    EXPECT_EQ(std::vector<std::wstring_view>(v.settings.components.begin(), v.settings.components.end()), v.rows);
    EXPECT_EQ(v.settings.logFileName, v.logFileName);
    EXPECT_EQ(v.settings.clientWidth, v.width);
    EXPECT_EQ(v.settings.clientHeight, v.height);
    EXPECT_EQ(v.settings.fontFace, v.fontFace);
    EXPECT_EQ(v.settings.fontPoints, 8.0);
    EXPECT_TRUE(v.settings.fontBold);
  }
}

TEST(OleDate, CivilDatesRoundTrip) {
  EXPECT_EQ(OleDateFromCivil({1899, 12, 30}), 0.0);
  EXPECT_EQ(OleDateFromCivil({2000, 1, 1}), 36526.0);
  EXPECT_EQ(OleDateFromCivil({2000, 1, 1, 12, 0, 0}), 36526.5);
  EXPECT_EQ(OleDateFromCivil({1899, 12, 29, 6, 0, 0}), -1.25);
  const CivilTime back = CivilFromOleDate(OleDateFromCivil({2024, 2, 29, 23, 59, 59}));
  EXPECT_EQ(back.year, 2024);
  EXPECT_EQ(back.month, 2);
  EXPECT_EQ(back.day, 29);
  EXPECT_EQ(back.hour, 23);
  EXPECT_EQ(back.second, 59);
  EXPECT_EQ(CivilFromOleDate(-1.25).day, 29);
  EXPECT_EQ(CivilFromOleDate(-1.25).hour, 6);
}

}  // namespace
}  // namespace kit::verifier::testing
