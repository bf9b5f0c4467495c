// The survey's report logic: CSV rows that survive quoting and spreadsheets, an earlier CSV told
// apart from other files, read with or without its byte-order mark, a report written while the
// survey runs told from a whole one, the summary's order, the comparison of two reports and of two
// verifier logs, and the heading's words for the Windows surveyed.
#include "report/comparison.h"
#include "report/csv_rows.h"
#include "report/html_report.h"
#include "report/windows_version.h"

#include <gtest/gtest.h>

namespace {
using namespace kit::report;

ProgramResult Result(const wchar_t* program, Verdict verdict, const wchar_t* message) {
  ProgramResult result;
  result.program = program;
  result.component = L"X.OCX";
  result.verdict = verdict;
  result.message = message;
  return result;
}

TEST(SurveyCsv, RowsComeBackAsWrittenBrokenFirst) {
  const std::vector<ProgramResult> results = {
      Result(L"probe_base", Verdict::Works, L"runs"),
      Result(L"probe_a", Verdict::Broken, L"Test failed: \"x\", then y\r\nand \u00e9\u4e2d"),
      Result(L"probe_b", Verdict::Hung, L"hung after 5 s"),
  };
  const std::vector<CsvRow> rows = ReadCsv(WriteCsv(results));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (CsvRow{L"probe_a", L"X.OCX", L"broken", L"Test failed: \"x\", then y\r\nand \u00e9\u4e2d"}));
  EXPECT_EQ(rows[1].program, L"probe_b");
  EXPECT_EQ(rows[2].program, L"probe_base");
  EXPECT_EQ(BrokenCount(results), 2);
}

TEST(SurveyCsv, FieldsASpreadsheetWouldRunAreGuardedAndComeBackAsWritten) {
  struct Case {
    const wchar_t* message;
    const char* written;  // the message's field in the CSV
  };
  const Case cases[] = {
      {L"=1+1", "'=1+1"},
      {L"-2", "'-2"},
      {L"+3", "'+3"},
      {L"@x", "'@x"},
      {L"\tx", "'\tx"},
      {L"\rx", "\"'\rx\""},
      {L"'=1+1", "''=1+1"},  // already looks guarded: one more apostrophe, taken off again
      {L"'quoted'", "'quoted'"},
      {L"x=1-2", "x=1-2"},
      {L"\"a,b\"", "\"\"\"a,b\"\"\""},
      {L"<b>bold</b> & <script>", "<b>bold</b> & <script>"},
  };
  for (const Case& c : cases) {
    ProgramResult result = Result(L"probe_a", Verdict::Broken, c.message);
    result.cause = c.message;  // the cause column is guarded the same way
    const std::string csv = WriteCsv({result});
    EXPECT_TRUE(csv.ends_with("," + std::string(c.written) + "," + std::string(c.written) + "\r\n")) << csv;
    const std::vector<CsvRow> rows = ReadCsv(csv);
    ASSERT_EQ(rows.size(), 1u) << csv;
    EXPECT_EQ(rows[0].message, c.message) << csv;
  }
}

TEST(SurveyCsv, AnEarlierFileIsAReportOnlyWithTheHeaderFirst) {
  struct Case {
    const char* what;
    std::string bytes;
    std::size_t rows;  // when a report
    const wchar_t* problem;  // when not
  };
  const std::wstring notReport = L"E:\\old\\report.csv is not a kit_survey report.csv";
  const Case cases[] = {
      {"as written", "program,component,verdict,message\r\np,X,works,ok\r\nq,Y,broken,Test failed\r\n", 2, nullptr},
      {"with a byte order mark, line feeds only", "\xEF\xBB\xBFprogram,component,verdict,message\np,X,works,ok\n", 1,
       nullptr},
      {"a later fifth column", "program,component,verdict,message,cause\r\np,X,broken,Test failed,unregistered\r\n", 1,
       nullptr},
      {"a row of three fields left out", "program,component,verdict,message\r\np,X,works\r\nq,Y,works,ok\r\n", 1,
       nullptr},
      {"re-saved with semicolons", "program;component;verdict;message\r\np;X;works;ok\r\n", 0,
       L" (its first line is not \"program,component,verdict,message\")"},
      {"re-saved with every field quoted", "\"program\",\"component\",\"verdict\",\"message\"\r\n", 0,
       L" (its first line is not \"program,component,verdict,message\")"},
      {"the report page", "<!DOCTYPE html>\n<html><body>program,component,verdict,message</body></html>\n", 0,
       L" (its first line is not \"program,component,verdict,message\")"},
      {"a line above the header", "\r\nprogram,component,verdict,message\r\np,X,works,ok\r\n", 0,
       L" (its first line is not \"program,component,verdict,message\")"},
      {"empty, as a folder reads", "", 0, L" (it is empty, or not a file)"},
  };
  for (const Case& c : cases) {
    const CsvReport report = ReadReportCsv(c.bytes, L"E:\\old\\report.csv");
    EXPECT_EQ(report.isReport, c.problem == nullptr) << c.what;
    EXPECT_EQ(report.rows.size(), c.rows) << c.what;
    EXPECT_EQ(report.problem, c.problem ? notReport + c.problem : L"") << c.what;
  }
}

TEST(SurveyCsv, IsWrittenWithAByteOrderMarkAndReadWithOrWithoutIt) {
  const std::vector<ProgramResult> results = {Result(L"probe_a", Verdict::Broken, L"Prueba fallida: a\u00f1o \u4e2d")};
  const std::string written = WriteCsv(results);
  ASSERT_TRUE(written.starts_with("\xEF\xBB\xBFprogram,component,verdict,message,cause\r\n")) << written;
  const std::string unmarked = written.substr(3);  // as an editor or an earlier kit_survey saved it
  for (const std::string& bytes : {written, unmarked}) {
    const CsvReport report = ReadReportCsv(bytes, L"report.csv");
    EXPECT_TRUE(report.isReport) << bytes;
    ASSERT_EQ(report.rows.size(), 1u) << bytes;
    EXPECT_EQ(report.rows[0], (CsvRow{L"probe_a", L"X.OCX", L"broken", L"Prueba fallida: a\u00f1o \u4e2d"}));
    EXPECT_EQ(report.progress, L"") << bytes;
  }
}

TEST(SurveyCsv, AReportWrittenWhileTheSurveyRunsSaysSoOnItsLastLine) {
  const std::vector<ProgramResult> results = {Result(L"probe_a", Verdict::Works, L"ok")};
  EXPECT_EQ(InProgress(1, 29), L"in progress: 1 of 29");
  const std::string running = WriteCsv(results, InProgress(1, 29));
  EXPECT_TRUE(running.ends_with("\r\nprobe_a,X.OCX,works,ok,\r\nin progress: 1 of 29\r\n")) << running;
  const CsvReport report = ReadReportCsv(running, L"report.csv");
  EXPECT_TRUE(report.isReport);
  EXPECT_EQ(report.rows.size(), 1u) << "the line of progress is no program's row";
  EXPECT_EQ(report.progress, L"in progress: 1 of 29");
  EXPECT_EQ(ReadReportCsv(WriteCsv(results), L"report.csv").progress, L"") << "the final report";
  // Only a line of one field that says so: a program's row is no progress, whatever its name.
  struct Case {
    const char* line;
    const wchar_t* progress;
  };
  const Case cases[] = {
      {"in progress: 0 of 2", L"in progress: 0 of 2"},
      {"\"in progress: 1 of 2\"", L"in progress: 1 of 2"},
      {"in progress: 1 of 2,X,works,ok", L""},
      {"not in progress: 1 of 2", L""},
  };
  for (const Case& c : cases) {
    const std::string csv = "program,component,verdict,message\r\np,X,works,ok\r\n" + std::string(c.line) + "\r\n";
    EXPECT_EQ(ReadReportCsv(csv, L"report.csv").progress, c.progress) << c.line;
  }
}

TEST(SurveyPage, TheHeadingSaysInProgressUntilTheSurveyEnds) {
  const std::vector<ProgramResult> results = {Result(L"probe_a", Verdict::Works, L"ok")};
  ReportHeading heading{L"PC1", L"32-bit Windows 5.1 build 2600", L"2026-12-08 09:30:05", L""};
  heading.progress = InProgress(1, 2);
  const std::string running = RenderHtml(heading, results, {});
  EXPECT_NE(running.find("<h1>Kit survey of PC1 (32-bit Windows 5.1 build 2600), 2026-12-08 09:30:05 "
                         "(in progress: 1 of 2)</h1>"),
            std::string::npos)
      << running;
  EXPECT_NE(running.find("<title>Kit survey of PC1 (in progress: 1 of 2)</title>"), std::string::npos) << running;
  heading.progress.clear();
  const std::string final = RenderHtml(heading, results, {});
  EXPECT_EQ(final.find("in progress"), std::string::npos) << final;
  // Compared with a report written while its survey ran: the page says so.
  heading.comparedWith = L"E:\\old\\report.csv";
  heading.earlierProgress = InProgress(3, 29);
  EXPECT_NE(RenderHtml(heading, results, {}).find("That report was written while its survey ran (in progress: 3 of 29)"),
            std::string::npos);
}

TEST(SurveyComparison, ListsChangedAddedAndMissingProgramsOnly) {
  const std::vector<CsvRow> earlier = {{L"a", L"", L"works", L"ok"}, {L"b", L"", L"works", L"ok"},
                                       {L"gone", L"", L"works", L"ok"}};
  const std::vector<CsvRow> now = {{L"a", L"", L"works", L"ok"}, {L"b", L"", L"broken", L"Test failed"},
                                   {L"new", L"", L"works", L"ok"}};
  const std::vector<Difference> differences = CompareRows(earlier, now);
  ASSERT_EQ(differences.size(), 3u);
  EXPECT_EQ(differences[0].subject, L"b");
  EXPECT_EQ(differences[0].earlier, L"works: ok");
  EXPECT_EQ(differences[0].now, L"broken: Test failed");
  EXPECT_EQ(differences[1].subject, L"new");
  EXPECT_EQ(differences[2].subject, L"gone");
}

TEST(SurveyComparison, LogRowsMatchedByFileName) {
  const std::wstring earlier =
      L"File version verification\r\n\r\nFile,Reg_Info,Date,Size,Version\r\n"
      L"C:\\windows\\system32\\a.dll,n/a,1/1/2020,10 bytes,1.0\r\n"
      L"C:\\windows\\system32\\same.dll,n/a,1/1/2020,10 bytes,1.0\r\n"
      L"Unable to locate B.OCX,,na,na,\r\nMDAC,2.8\r\n";
  const std::wstring now =
      L"File version verification\r\n\r\nFile,Reg_Info,Date,Size,Version\r\n"
      L"D:\\app\\A.DLL,n/a,1/1/2020,10 bytes,1.0\r\n"
      L"C:\\windows\\system32\\same.dll,n/a,1/1/2020,10 bytes,1.0\r\n"
      L"C:\\windows\\system32\\b.ocx,n/a,1/1/2021,20 bytes,2.0\r\nMDAC,N/A\r\n";
  std::vector<std::wstring> subjects;
  for (const Difference& difference : CompareLogs(L"DLLver.log", earlier, now)) subjects.push_back(difference.subject);
  EXPECT_EQ(subjects, (std::vector<std::wstring>{L"DLLver.log: MDAC", L"DLLver.log: a.dll", L"DLLver.log: b.ocx"}));
}

// A verifier's log as the verifier writes it, with the given component rows.
std::wstring Log(std::initializer_list<std::wstring_view> rows) {
  std::wstring log = L"File version verification 12/7/2026 on Unknown\r\n\r\nFile,Reg_Info,Date,Size,Version\r\n";
  for (const std::wstring_view row : rows) log.append(row).append(L"\r\n");
  return log + L"MDAC,N/A\r\n";
}

std::vector<std::wstring> Subjects(const std::vector<Difference>& differences) {
  std::vector<std::wstring> subjects;
  for (const Difference& difference : differences) subjects.push_back(difference.subject);
  return subjects;
}

TEST(SurveyComparison, AComponentFileDiffersByLocationPlaceVersionOrSize) {
  constexpr std::wstring_view kHere = L"C:\\Windows\\System32\\a.dll,n/a,1/2/2020,10 bytes,1.0";
  struct Case {
    const wchar_t* now;
    bool differs;
  };
  const Case cases[] = {
      {L"C:\\Windows\\System32\\a.dll,n/a,1/2/2020,10 bytes,1.0", false},
      {L"C:\\Windows\\SysWOW64\\a.dll,n/a,1/2/2020,10 bytes,1.0", false},
      {L"D:\\WINNT\\SYSTEM32\\A.DLL,n/a,1/2/2020,10 bytes,1.0", false},
      {L"C:\\Windows\\System32\\a.dll,OK,1/2/2020,10 bytes,1.0", false},  // registration is not compared
      {L"Unable to locate a.dll,,na,na,", true},
      {L"C:\\Program Files\\App\\a.dll,n/a,1/2/2020,10 bytes,1.0", true},
      {L"C:\\Windows\\System32\\a.dll,n/a,1/2/2020,10 bytes,1.1", true},
      {L"C:\\Windows\\System32\\a.dll,n/a,1/2/2020,12 bytes,1.0", true},
      {L"C:\\Windows\\System32\\a.dll,n/a,1/3/2020,10 bytes,1.0", true},
  };
  for (const Case& c : cases) {
    const std::vector<Difference> differences = CompareLogs(L"DLLver.log", Log({kHere}), Log({c.now}));
    EXPECT_EQ(Subjects(differences), c.differs ? std::vector<std::wstring>{L"DLLver.log: a.dll"}
                                               : std::vector<std::wstring>{})
        << c.now;
    if (c.differs && !differences.empty()) {
      EXPECT_EQ(differences[0].earlier, kHere);
      EXPECT_EQ(differences[0].now, c.now);
    }
  }
  // Not located on either machine, in the verifier's different words: nothing to compare.
  EXPECT_TRUE(
      CompareLogs(L"x", Log({L"Unable to locate b.ocx,,na,na,"}), Log({L"Can't load b.ocx,Not Registered,na,na,"}))
          .empty());
}

TEST(SurveyComparison, DatesAreComparedOnlyWhereOnePatternFitsBothLogs) {
  struct Case {
    const char* what;
    std::wstring_view earlierDates[2];  // of a.dll, then b.dll
    std::wstring_view nowDates[2];
    bool datesDiffer;
  };
  const Case cases[] = {
      {"the same days, dd/MM/yyyy and M/d/yyyy", {L"07/12/2026", L"25/01/2020"}, {L"12/7/2026", L"1/25/2020"}, false},
      {"the same days, yyyy-MM-dd and dd/MM/yyyy", {L"2026-12-07", L"2020-01-25"}, {L"07/12/2026", L"25/01/2020"},
       false},
      {"the same days, dd.MM.yyyy and d/M/yyyy", {L"07.12.2026", L"25.01.2020"}, {L"7/12/2026", L"25/1/2020"}, false},
      {"another day, both M/d/yyyy", {L"12/7/2026", L"1/25/2020"}, {L"12/8/2026", L"1/25/2020"}, true},
      {"another day, both dd/MM/yyyy", {L"07/12/2026", L"25/01/2020"}, {L"08/12/2026", L"25/01/2020"}, true},
      {"another day, both yyyy-MM-dd", {L"2026-12-07", L"2020-01-25"}, {L"2026-12-08", L"2020-01-25"}, true},
  };
  const auto log = [](const std::wstring_view (&dates)[2]) {
    return Log({L"C:\\Windows\\System32\\a.dll,n/a," + std::wstring(dates[0]) + L",10 bytes,1.0",
                L"C:\\Windows\\System32\\b.dll,n/a," + std::wstring(dates[1]) + L",20 bytes,2.0"});
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Subjects(CompareLogs(L"DLLver.log", log(c.earlierDates), log(c.nowDates))),
              c.datesDiffer ? std::vector<std::wstring>{L"DLLver.log: a.dll"} : std::vector<std::wstring>{})
        << c.what;
  }
}

TEST(SurveyHeading, NamesTheSystemsWidthVersionBuildAndServicePack) {
  WindowsVersion xp{5, 1, 2600, L"Service Pack 3", false};
  EXPECT_EQ(WindowsVersionText(xp), L"32-bit Windows 5.1 build 2600 Service Pack 3");
  WindowsVersion ten{10, 0, 19045, L"", true};
  EXPECT_EQ(WindowsVersionText(ten), L"64-bit Windows 10.0 build 19045");
  EXPECT_EQ(WindowsVersionText(WindowsVersion{}), L"") << "an unread version leaves the heading as it was";
}

}  // namespace
