// The survey's scratch folders: made new under random names, and removed by handles without
// following a link inside them or in their place. Links are made as the system at hand allows: a
// junction on Windows; under Wine (whose junctions and CreateSymbolicLink do nothing up to 8) a
// Unix link, made by /bin/ln, which Wine lists as a reparse point but opens as its target.
#include "survey/survey_files.h"
#include "tests/support/driver_support.h"

#include <gtest/gtest.h>
#include <winioctl.h>

#include <string>

namespace {
using namespace kit::survey;
using kit::driver::Narrow;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << Narrow(path) << " error " << GetLastError();
  DWORD written = 0;
  WriteFile(file, "kept", 4, &written, nullptr);
  CloseHandle(file);
}

void MakeFolder(const std::wstring& path) {
  ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << Narrow(path) << " error " << GetLastError();
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// A junction at `link` (a new folder) to the folder `target`, as Windows makes one.
bool MakeJunction(const std::wstring& link, const std::wstring& target) {
  if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
  const HANDLE handle = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    RemoveDirectoryW(link.c_str());
    return false;
  }
  const std::wstring substitute = L"\\??\\" + target;
  const auto bytes = [](const std::wstring& text) { return static_cast<USHORT>(text.size() * sizeof(wchar_t)); };
  // REPARSE_DATA_BUFFER of a mount point: tag, lengths, then both names, each ended by a zero.
  std::vector<unsigned char> data(16 + bytes(substitute) + bytes(target) + 4);
  const auto put16 = [&data](std::size_t at, USHORT value) { memcpy(data.data() + at, &value, 2); };
  const ULONG tag = IO_REPARSE_TAG_MOUNT_POINT;
  memcpy(data.data(), &tag, 4);
  put16(4, static_cast<USHORT>(data.size() - 8));
  put16(8, 0);
  put16(10, bytes(substitute));
  put16(12, bytes(substitute) + 2);
  put16(14, bytes(target));
  memcpy(data.data() + 16, substitute.data(), bytes(substitute));
  memcpy(data.data() + 16 + bytes(substitute) + 2, target.data(), bytes(target));
  DWORD returned = 0;
  const bool made = DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, data.data(), static_cast<DWORD>(data.size()),
                                    nullptr, 0, &returned, nullptr) != FALSE;
  CloseHandle(handle);
  if (!made) RemoveDirectoryW(link.c_str());
  return made;
}

// A path as a Unix program sees it, or "" where Wine does not tell.
std::wstring UnixName(const std::wstring& path) {
  using Convert = char*(CDECL*)(const wchar_t*);
  const auto convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* text = convert ? convert(path.c_str()) : nullptr;
  if (!text) return L"";
  const std::wstring wide(text, text + strlen(text));
  HeapFree(GetProcessHeap(), 0, text);
  return wide;
}

// Runs a Unix program under Wine (which starts it as such) and waits until `done` holds: Wine's
// handle of a Unix program tells no end.
template <typename Condition>
bool RunUnix(const wchar_t* program, std::wstring arguments, Condition done) {
  std::wstring command = std::wstring(program) + L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  const std::wstring file = L"Z:" + std::wstring(program);
  if (!CreateProcessW(file.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return kit::driver::WaitUntil(done, kit::driver::Scaled(10000));
}

// A Unix link at `link` to `target`, made by /bin/ln.
bool MakeUnixLink(const std::wstring& link, const std::wstring& target) {
  const std::wstring linkName = UnixName(link), targetName = UnixName(target);
  return !linkName.empty() && !targetName.empty() &&
         RunUnix(L"/bin/ln", L"-s \"" + targetName + L"\" \"" + linkName + L"\"", [&] { return Exists(link); });
}

// Wine up to 8 deletes no Unix link by a handle: the test's own link goes by /bin/rm.
void RemoveUnixLink(const std::wstring& link) {
  const std::wstring name = UnixName(link);
  if (!name.empty()) RunUnix(L"/bin/rm", L"\"" + name + L"\"", [&] { return !Exists(link); });
}

// A link to a folder, or false when this system makes none.
bool MakeLink(const std::wstring& link, const std::wstring& target) {
  return MakeJunction(link, target) || (UnderWine() && MakeUnixLink(link, target));
}

class RemoveTreeTest : public testing::Test {
protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_TRUE(GetTempPathW(static_cast<DWORD>(std::size(temp)), temp));
    m_root = CreateScratchFolder(temp, L"kit_files_test_");
    ASSERT_FALSE(m_root.empty()) << "error " << GetLastError();
    // What lies outside the tree removed, as a link inside it could point to.
    m_outside = m_root + L"\\outside";
    MakeFolder(m_outside);
    MakeFile(m_outside + L"\\precious.txt");
    m_tree = m_root + L"\\tree";
    MakeFolder(m_tree);
  }
  void TearDown() override {
    if (!m_root.empty()) RemoveTree(m_root);
  }

  std::wstring m_root, m_outside, m_tree;
};

TEST_F(RemoveTreeTest, RemovesFoldersFilesAndReadOnlyOnes) {
  MakeFile(m_tree + L"\\a.txt");
  MakeFile(m_tree + L"\\read-only.txt", FILE_ATTRIBUTE_READONLY);
  MakeFolder(m_tree + L"\\sub");
  MakeFile(m_tree + L"\\sub\\b.txt", FILE_ATTRIBUTE_HIDDEN);
  std::wstring deep = m_tree + L"\\sub";
  for (int level = 0; level < 20; ++level) MakeFolder(deep += L"\\d");
  MakeFile(deep + L"\\bottom.txt");
  MakeFolder(m_tree + L"\\locked");
  MakeFile(m_tree + L"\\locked\\c.txt", FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(SetFileAttributesW((m_tree + L"\\locked").c_str(), FILE_ATTRIBUTE_READONLY));
  RemoveTree(m_tree);
  EXPECT_FALSE(Exists(m_tree));
  EXPECT_TRUE(Exists(m_outside + L"\\precious.txt"));
}

TEST_F(RemoveTreeTest, AMissingFolderIsNothingToDo) {
  RemoveTree(m_root + L"\\no such folder");
  RemoveTree(L"");
  EXPECT_TRUE(Exists(m_tree));
}

TEST_F(RemoveTreeTest, ALinkInsideGoesItselfAndWhatItPointsToStays) {
  MakeFolder(m_tree + L"\\sub");
  MakeFile(m_tree + L"\\sub\\a.txt");
  if (!MakeLink(m_tree + L"\\sub\\link", m_outside)) GTEST_SKIP() << "this system makes no link to a folder";
  ASSERT_TRUE(GetFileAttributesW((m_tree + L"\\sub\\link").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  ASSERT_TRUE(Exists(m_tree + L"\\sub\\link\\precious.txt")) << "the link leads outside";
  RemoveTree(m_tree);
  EXPECT_TRUE(Exists(m_outside + L"\\precious.txt")) << "the survey deleted through a link";
  EXPECT_FALSE(Exists(m_tree + L"\\sub\\a.txt"));
  if (UnderWine()) {
    // Wine up to 8 deletes no Unix link by a handle: the link and the folders above it stay.
    EXPECT_TRUE(Exists(m_tree + L"\\sub\\link"));
    RemoveUnixLink(m_tree + L"\\sub\\link");
  } else {
    EXPECT_FALSE(Exists(m_tree));
  }
}

TEST_F(RemoveTreeTest, ALinkInPlaceOfTheFolderGoesItself) {
  const std::wstring link = m_root + L"\\swapped";
  if (!MakeLink(link, m_outside)) GTEST_SKIP() << "this system makes no link to a folder";
  RemoveTree(link);
  EXPECT_TRUE(Exists(m_outside + L"\\precious.txt")) << "the survey deleted through a link";
  if (UnderWine()) {
    RemoveUnixLink(link);
  } else {
    EXPECT_FALSE(Exists(link));
  }
}

}  // namespace
