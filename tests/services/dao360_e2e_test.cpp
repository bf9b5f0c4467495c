// probe_dao360 under Wine, against the stand-in DAO engine (Wine has none): the exact calls,
// two tests in a row, "test.mdb" read-only, hidden or a folder, no engine at all, and an engine
// whose errors carry no, or non-ANSI, descriptions.
#include "common/system_error.h"
#include "tests/services/services_support.h"

#include <algorithm>

namespace {
using namespace kit;
using namespace kit::e2e;
using namespace kit::services_test;

constexpr wchar_t kProgram[] = L"probe_dao360";
constexpr wchar_t kStandIn[] = L"standin_dao.dll";

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::size_t Count(const std::vector<std::wstring>& lines, std::wstring_view line) {
  return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

// The calls the engine received, without the creations and releases of its objects.
std::vector<std::wstring> Calls(const std::vector<std::wstring>& lines) {
  std::vector<std::wstring> calls;
  for (const auto& line : lines) {
    if (!line.starts_with(L"create ") && !line.starts_with(L"release ")) calls.push_back(line);
  }
  return calls;
}

TEST(Dao, WindowIsLikeTheOtherDataAccessProbes) {
  auto started = StartAndWaitForForm(L"probe_dao360.exe");
  ASSERT_TRUE(started.form);
  ExpectForm(started.form, 1670, 1560,
             {{L"done", L"Button", 270, 870, 1065, 375}, {L"test", L"Button", 240, 240, 1065, 375}});
  ExpectNoMessageBox(started.program);
}

TEST(Dao, TwoTestsInARowPassWithOneEngineAndTheFileStays) {
  const std::wstring folder = ScratchFolder(L"dao_twice");
  const std::wstring file = folder + L"\\test.mdb";
  const std::wstring journal = NewJournal(L"dao_twice");
  RegisteredStandIn standIn(kStandIn);
  auto started = StartIn(L"probe_dao360.exe", folder);
  ASSERT_TRUE(started.form);
  EXPECT_TRUE(ReadUtf8Journal(journal).empty()) << "nothing happens before the first click";

  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test ok", kProgram);
  const std::vector<std::wstring> oneTest = {
      L"DBEngine CreateDatabase \"test.mdb\" \";LANGID=0x0409;CP=1252;COUNTRY=0\" VT_BOOL False",
      L"Database test.mdb Close",
      // The three optional arguments left out, as the platform's callers leave them out.
      L"DBEngine OpenDatabase \"test.mdb\" VT_ERROR 0x80020004 VT_ERROR 0x80020004 VT_ERROR 0x80020004",
  };
  auto lines = ReadUtf8Journal(journal);
  EXPECT_EQ(Calls(lines), oneTest) << Lines(lines);
  EXPECT_EQ(Count(lines, L"create Database test.mdb"), Count(lines, L"release Database test.mdb"))
      << "the window keeps no database after a passing test:" << Lines(lines);
  EXPECT_TRUE(Exists(file));

  // The second test deletes the first one's file: CreateDatabase meets no file and passes.
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test ok", kProgram);
  lines = ReadUtf8Journal(journal);
  std::vector<std::wstring> twoTests = oneTest;
  twoTests.insert(twoTests.end(), oneTest.begin(), oneTest.end());
  EXPECT_EQ(Calls(lines), twoTests) << Lines(lines);
  EXPECT_EQ(Count(lines, L"create DBEngine"), 1u) << Lines(lines);
  EXPECT_EQ(Count(lines, L"release DBEngine"), 0u) << Lines(lines);
  EXPECT_TRUE(Exists(file)) << "nothing deletes test.mdb after a test";
}

TEST(Dao, ReadOnlyFileStopsTheTestWithTheDeletionError) {
  const std::wstring folder = ScratchFolder(L"dao_read_only");
  const std::wstring file = folder + L"\\test.mdb";
  const std::wstring journal = NewJournal(L"dao_read_only");
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_READONLY, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  CloseHandle(handle);
  RegisteredStandIn standIn(kStandIn);
  auto started = StartIn(L"probe_dao360.exe", folder);
  ASSERT_TRUE(started.form);
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test failed: " + DescribeError(ERROR_ACCESS_DENIED),
                         kProgram);
  EXPECT_TRUE(ReadUtf8Journal(journal).empty()) << "the engine is not reached:" << Lines(ReadUtf8Journal(journal));
  EXPECT_TRUE(Exists(file));
  // Made writable, the next click of the same window deletes it and passes.
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test ok", kProgram);
}

TEST(Dao, HiddenFileOrFolderIsNotFoundAndTheEngineSaysItExists) {
  struct Case {
    const char* name;
    bool folder;
  };
  for (const Case& c : {Case{"hidden file", false}, Case{"folder", true}}) {
    SCOPED_TRACE(c.name);
    const std::wstring folder = ScratchFolder(L"dao_hidden");
    const std::wstring file = folder + L"\\test.mdb";
    if (c.folder) {
      ASSERT_TRUE(CreateDirectoryW(file.c_str(), nullptr));
    } else {
      HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
      ASSERT_NE(handle, INVALID_HANDLE_VALUE);
      CloseHandle(handle);
    }
    RegisteredStandIn standIn(kStandIn);
    auto started = StartIn(L"probe_dao360.exe", folder);
    ASSERT_TRUE(started.form);
    ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test failed: Database already exists.", kProgram);
    EXPECT_TRUE(Exists(file)) << "what the search does not find is not deleted";
    ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test failed: Database already exists.", kProgram);
    started.program.Kill();
    started.program.WaitForExit();
  }
}

TEST(Dao, NoEngineGivesTheCreationErrorAndALaterTestCreatesIt) {
  const std::wstring folder = ScratchFolder(L"dao_no_engine");
  ASSERT_EQ(CallRegistration(driver::BesideMe(kStandIn), false), S_OK);
  auto started = StartIn(L"probe_dao360.exe", folder);
  ASSERT_TRUE(started.form);
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test failed: Class not registered (0x80040154)",
                         kProgram);
  RegisteredStandIn standIn(kStandIn);
  ExpectMessageAndAnswer(ClickForMessage(started, L"test"), L"Test ok", kProgram);
}

TEST(Dao, EngineErrorsWithoutOrWithNonAnsiDescriptionsStillSaySomething) {
  RegisteredStandIn standIn(kStandIn);
  {
    StandInMode mode(L"fail-wide");
    auto started = StartIn(L"probe_dao360.exe", ScratchFolder(L"dao_wide"));
    ASSERT_TRUE(started.form);
    ExpectMessageAndAnswer(ClickForMessage(started, L"test"),
                           L"Test failed: \u041e\u0448\u0438\u0431\u043a\u0430 \u65e5\u672c \u2603", kProgram);
  }
  {
    StandInMode mode(L"fail-silent");
    auto started = StartIn(L"probe_dao360.exe", ScratchFolder(L"dao_silent"));
    ASSERT_TRUE(started.form);
    auto box = ClickForMessage(started, L"test");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"Test failed: " + DescribeError(static_cast<std::uint32_t>(E_FAIL)));
    EXPECT_GT(box->text.size(), 13u);
    ExpectMessageAndAnswer(box, box->text, kProgram);
  }
}

}  // namespace
