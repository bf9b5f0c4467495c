// The survey's report logic: CSV rows that survive quoting, the summary's order, and the
// comparison of two reports and of two verifier logs.
#include "survey/comparison.h"
#include "survey/csv_rows.h"

#include <gtest/gtest.h>

namespace {
using namespace kit::survey;

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

}  // namespace
