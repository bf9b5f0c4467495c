// A verifier's log read back as the survey reads it: the fields of every row, which rows name a
// located file, and whether the verifier finished the log.
#include "report/verifier_log.h"

#include <gtest/gtest.h>

namespace {
using namespace kit::report;

constexpr wchar_t kHead[] =
    L"File version verification 25/12/2026 on Windows XP\r\n\r\nFile,Reg_Info,Date,Size,Version\r\n";

TEST(SurveyVerifierLog, RowsGiveTheirFieldsAndTheComponentName) {
  // The file and registration columns pin the split; RowText then gives date, size and version.
  struct Case {
    const wchar_t* line;
    const wchar_t* file;
    const wchar_t* registration;
    const wchar_t* name;
    bool located;
  };
  const Case cases[] = {
      {L"C:\\WINDOWS\\system32\\comcat.dll,n/a,25/12/2026,96720 bytes,10.0.0.0",
       L"C:\\WINDOWS\\system32\\comcat.dll", L"n/a", L"comcat.dll", true},
      {L"C:\\Program Files\\Maker, Inc\\VELRotation.ocx,OK,25/12/2026,20 bytes,",
       L"C:\\Program Files\\Maker, Inc\\VELRotation.ocx", L"OK", L"VELRotation.ocx", true},
      {L"\\\\server\\share\\x.dll,n/a,25/12/2026,5 bytes,1.0", L"\\\\server\\share\\x.dll", L"n/a", L"x.dll",
       true},
      {L"Unable to locate asycfilt.dll,,na,na,", L"Unable to locate asycfilt.dll", L"", L"asycfilt.dll", false},
      {L"Can't load GRID32.OCX,Not Registered,na,na,", L"Can't load GRID32.OCX", L"Not Registered", L"GRID32.OCX",
       false},
      {L"SPIN32.OCX Not Found,Not Registered,na,na,", L"SPIN32.OCX Not Found", L"Not Registered", L"SPIN32.OCX", false},
      {L"x.ocx The file is damaged, or no library.,Not Registered,na,na,", L"x.ocx The file is damaged, or no library.",
       L"Not Registered", L"x.ocx", false},
  };
  for (const Case& c : cases) {
    const VerifierLog log = ParseVerifierLog(std::wstring(kHead) + c.line + L"\r\nMDAC,2.81.1117.0\r\n");
    ASSERT_EQ(log.rows.size(), 1u);
    const VerifierLogRow& got = log.rows[0];
    EXPECT_EQ(got.file, c.file);
    EXPECT_EQ(got.registration, c.registration) << got.file;
    EXPECT_EQ(RowText(got), c.line);
    EXPECT_EQ(got.name, c.name) << got.file;
    EXPECT_EQ(got.located, c.located) << got.file;
  }
  // A row cut short while the log is written: the missing columns are empty.
  const VerifierLog cut = ParseVerifierLog(std::wstring(kHead) + L"C:\\cut\\short.dll,n/a");
  ASSERT_EQ(cut.rows.size(), 1u);
  EXPECT_EQ(cut.rows[0].registration, L"n/a");
  EXPECT_EQ(cut.rows[0].date + cut.rows[0].size + cut.rows[0].version, L"");
}

TEST(SurveyVerifierLog, CountsLocatedRowsAndTellsACompleteLog) {
  const std::wstring rows =
      L"C:\\windows\\system32\\advpack.dll,n/a,25/12/2026,499145 bytes,\r\n"
      L"Unable to locate asycfilt.dll,,na,na,\r\n"
      L"Can't load GRID32.OCX,Not Registered,na,na,\r\n"
      L"C:\\windows\\system32\\oleaut32.dll,n/a,25/12/2026,5490423 bytes,6.0.6001.18000\r\n";
  const VerifierLog complete = ParseVerifierLog(kHead + rows + L"MDAC,N/A\r\n");
  EXPECT_TRUE(complete.complete);
  EXPECT_EQ(complete.title, L"File version verification 25/12/2026 on Windows XP");
  EXPECT_EQ(complete.mdac, L"N/A");
  const LocatedCount count = CountLocated(complete);
  EXPECT_EQ(count.located, 2);
  EXPECT_EQ(count.rows, 4);
  EXPECT_EQ(RowText(complete.rows[2]), L"Can't load GRID32.OCX,Not Registered,na,na,");

  // Being rewritten (every paint rewrites it): no closing line yet; line feeds alone read the same.
  const VerifierLog partial =
      ParseVerifierLog(L"File version verification\nFile,Reg_Info,Date,Size,Version\nC:\\w\\a.dll,n/a");
  EXPECT_FALSE(partial.complete);
  EXPECT_EQ(partial.rows.size(), 1u);
  EXPECT_FALSE(ParseVerifierLog(L"").complete);
}

}  // namespace
