// machine.txt: what a survey writes reads back whole, values that would break a line stay on theirs,
// and a file edited, damaged or written by another kit still reads as far as it holds the record.
#include "report/machine_record.h"

#include <gtest/gtest.h>

namespace {
using namespace kit::report;

const MachineRecord kSurveyed{"PC-\xC3\x89TUDE", "64-bit Windows 10.0 build 19045", "19045", "x64",
                              "2026-12-09T14:03:00", "1.00"};

TEST(MachineRecord, WrittenInOrderAndReadBackWhole) {
  const std::string text = FormatMachineRecord(kSurveyed);
  EXPECT_EQ(text,
            "machine=PC-\xC3\x89TUDE\r\nwindows=64-bit Windows 10.0 build 19045\r\nbuild=19045\r\n"
            "architecture=x64\r\nsurveyed=2026-12-09T14:03:00\r\nkit=1.00\r\n");
  const std::optional<MachineRecord> back = ParseMachineRecord(text);
  ASSERT_TRUE(back.has_value()) << text;
  EXPECT_EQ(*back, kSurveyed);
}

TEST(MachineRecord, ValuesKeepToTheirLine) {
  MachineRecord odd = kSurveyed;
  odd.machine = "two\r\nlines\nkit=9.99";
  odd.windows = "a=b=c";
  const std::string text = FormatMachineRecord(odd);
  EXPECT_EQ(text.find("\nkit=9.99"), std::string::npos) << text;
  const std::optional<MachineRecord> back = ParseMachineRecord(text);
  ASSERT_TRUE(back.has_value()) << text;
  EXPECT_EQ(back->machine, "two  lines kit=9.99");
  EXPECT_EQ(back->windows, "a=b=c") << "the key ends at the first '='";
  EXPECT_EQ(back->kit, "1.00");
}

TEST(MachineRecord, ReadsWhatOthersMayHaveMadeOfTheFile) {
  struct Case {
    const char* what;
    std::string text;
    std::optional<MachineRecord> expected;
  };
  MachineRecord partial;
  partial.machine = "PC1";
  partial.kit = "1.00";
  MachineRecord blankName = partial;
  blankName.machine = "";
  const Case cases[] = {
      {"byte-order mark and LF line ends", "\xEF\xBB\xBFmachine=PC1\nkit=1.00\n", partial},
      {"no line end at the end", "machine=PC1\r\nkit=1.00", partial},
      {"keys out of order, unknown keys, blank and keyless lines",
       "kit=1.00\r\n\r\nfuture=yes\r\njust words\r\nmachine=PC1\r\n", partial},
      {"a repeated key keeps its first value", "machine=PC1\nmachine=PC2\nkit=1.00\n", partial},
      {"an empty value is a value", "machine=\nkit=1.00\n", blankName},
      {"keys are exact", "Machine=PC1\n machine=PC1\n", std::nullopt},
      {"empty file", "", std::nullopt},
      {"only a byte-order mark", "\xEF\xBB\xBF", std::nullopt},
      {"another file altogether", "Program,Component,Result,Message\r\nprobe_a,X.OCX,works,\r\n", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<MachineRecord> got = ParseMachineRecord(c.text);
    EXPECT_EQ(got.has_value(), c.expected.has_value()) << c.what;
    if (got && c.expected) {
      EXPECT_EQ(got->machine, c.expected->machine) << c.what;
      EXPECT_EQ(got->kit, c.expected->kit) << c.what;
      EXPECT_EQ(*got, *c.expected) << c.what << ": windows \"" << got->windows << "\"";
    }
  }
}

}  // namespace
