// How a program's end reads in the survey's report: exception codes as crashes with their names,
// ordinary codes as exit codes, and the licence refusal found in a host's message.
#include "survey/exit_status.h"

#include <gtest/gtest.h>

namespace {
using namespace kit::survey;

TEST(ExitStatus, CrashesAreNamedAndPlainEndsKeepTheirCode) {
  struct Case {
    std::uint32_t code;
    bool crash;
    const wchar_t* text;
  };
  const Case cases[] = {
      {0xC0000005u, true, L"crashed (0xC0000005, access violation)"},
      {0xC0000135u, true, L"crashed (0xC0000135, a DLL it needs was not found)"},
      {0xC00000FDu, true, L"crashed (0xC00000FD, stack overflow)"},
      {0x80000003u, true, L"crashed (0x80000003, breakpoint)"},
      {0xE06D7363u, true, L"crashed (0xE06D7363, unhandled C++ exception)"},
      {0xC0001234u, true, L"crashed (0xC0001234)"},  // any error-severity status is a crash
      {1u, false, L"ended with exit code 1"},
      {3u, false, L"ended with exit code 3"},
      {0x80040112u, false, L"ended with exit code 0x80040112"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsCrashCode(c.code), c.crash) << std::hex << c.code;
    EXPECT_EQ(DescribeEnd(c.code), c.text) << std::hex << c.code;
  }
}

TEST(ExitStatus, ALicenceRefusalIsFoundByItsCode) {
  EXPECT_TRUE(IsLicenceRefusal(L"GRAPH32.OCX ... refuses to be created without a licence key. Error 0x80040112"));
  EXPECT_FALSE(IsLicenceRefusal(L"GRAPH32.OCX ... is not registered. Class not registered (0x80040154)"));
}

}  // namespace
