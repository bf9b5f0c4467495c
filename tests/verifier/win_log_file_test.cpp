// Win32-only. The log file against the file system, through an open call that refuses what
// Windows refuses: recreating a hidden or system file without asking for its attributes again
// (Wine lets it pass, so the rule is enforced here in front of the real call).
#include "verifier/log_file.h"
#include "win_support.h"

#include <gtest/gtest.h>

namespace kit::verifier::testing {
namespace {

std::vector<DWORD> g_dispositions;

HANDLE WINAPI OpenAsWindowsDoes(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE model) {
  g_dispositions.push_back(disposition);
  const DWORD existing = GetFileAttributesA(name);
  const DWORD guarded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const bool recreates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  if (recreates && existing != INVALID_FILE_ATTRIBUTES && (existing & guarded & ~flags) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileA(name, access, share, security, disposition, flags, model);
}

TEST(WinLogFile, ExistingLogIsEmptiedWhateverItsAttributesAndAnAbsentOneCreated) {
  ScratchFolder folder(L"logfile");
  struct Case {
    const char* what;
    DWORD attributes;  // 0: no file before the run
  };
  const Case cases[] = {{"absent", 0}, {"ordinary", FILE_ATTRIBUTE_NORMAL}, {"hidden", FILE_ATTRIBUTE_HIDDEN},
                        {"system", FILE_ATTRIBUTE_SYSTEM}, {"hidden system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring path = folder.File(L"DLLver.log");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    if (c.attributes) {
      folder.Write(L"DLLver.log", std::string(5000, 'x'));
      SetFileAttributesW(path.c_str(), c.attributes);
    }
    g_dispositions.clear();
    Win32LogFile log(&OpenAsWindowsDoes);
    ASSERT_EQ(log.Open(path), 0u);
    EXPECT_EQ(log.WriteLine(L"MDAC,N/A"), 0u);
    EXPECT_EQ(log.Close(), 0u);
    EXPECT_EQ(ReadAll(path), "MDAC,N/A\r\n");
    EXPECT_EQ(g_dispositions, std::vector<DWORD>{OPEN_ALWAYS}) << "opened, created only when absent";
    if (c.attributes) {
      const DWORD guarded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
      EXPECT_EQ(GetFileAttributesW(path.c_str()) & guarded, c.attributes & guarded) << "the same file, not a new one";
    }
  }
}

}  // namespace
}  // namespace kit::verifier::testing
