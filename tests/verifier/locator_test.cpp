// The locator's look-up rules, the code that survives a failed look-up, and the two queries on
// what it found: version text and error text.
#include "fake_os.h"
#include "verifier/dll_version.h"
#include "verifier/locator.h"
#include "verifier/texts.h"
#include "verifier/version_text.h"

#include <gtest/gtest.h>

namespace kit::verifier::testing {
namespace {

std::string Journal(const FakeOs& os) {
  std::string text;
  for (const std::wstring& call : os.calls) text += std::string(call.begin(), call.end()) + "; ";
  return text;
}

TEST(LocateFile, ProgramNamesAreLookedUpAsFilesWithoutLoading) {
  FakeOs os;
  os.ordinaryFiles = {L"C:\\work\\Setup.EXE", L"D:\\tools\\app.exe", L"E:\\myprogexe"};
  os.recorded = 87;
  struct Case {
    std::wstring directory, name;
    bool found;
    std::wstring path;
  };
  const Case cases[] = {
      {L"C:\\work", L"Setup.EXE", true, L"C:\\work\\Setup.EXE"},
      {L"C:\\work", L"missing.exe", false, L"Unable to locate"},
      {L"C:\\other", L"D:\\tools\\app.exe", true, L"D:\\tools\\app.exe"},  // a folder: the name as is
      {L"C:\\work", L"D:\\tools\\gone.Exe", false, L"Unable to locate"},
      {L"E:\\", L"myprogexe", true, L"E:\\myprogexe"},  // root: no second backslash; no dot needed
  };
  for (const Case& c : cases) {
    os.currentDirectory = c.directory;
    std::wstring name = c.name;
    std::wstring path(1024, L' ');
    EXPECT_EQ(LocateFile(os, name, path), c.found) << std::string(c.name.begin(), c.name.end());
    EXPECT_EQ(path, c.path);
  }
  EXPECT_EQ(os.CallCount(L"LoadModule"), 0) << Journal(os);
  EXPECT_EQ(os.CallCount(L"FindFileInPath"), 0);
  EXPECT_EQ(os.recorded, 87u) << "file look-ups are no platform calls";
}

TEST(LocateFile, ExeSuffixInAnyCaseIsAProgram) {
  for (const wchar_t* name : {L"a.exe", L"A.EXE", L"a.eXe", L"myprogexe", L"EXE"}) EXPECT_TRUE(IsProgramName(name)) << name;
  for (const wchar_t* name : {L"a.exe ", L"a.dll", L"xe", L"", L"exe.dll"}) EXPECT_FALSE(IsProgramName(name));
}

TEST(LocateFile, LibraryIsLoadedItsPathTakenWhileLoadedThenFreed) {
  FakeOs os;
  os.libraries[L"advpack.dll"] = {L"C:\\Windows\\System32\\advpack.dll"};
  std::wstring name = L"advpack.dll";
  std::wstring path(1024, L' ');
  EXPECT_TRUE(LocateFile(os, name, path));
  EXPECT_EQ(path, L"C:\\Windows\\System32\\advpack.dll");
  EXPECT_EQ(os.loadCounts[L"advpack.dll"], 0) << "unloaded again";
  const std::vector<std::wstring> expected = {L"LoadModule advpack.dll", L"FindLoadedModule advpack.dll",
                                              L"ModuleFileName", L"UnloadModule"};
  EXPECT_EQ(os.calls, expected) << Journal(os);

  // Already loaded: the load only raises its use count, and it stays loaded.
  os.loadCounts[L"advpack.dll"] = 1;
  EXPECT_TRUE(LocateFile(os, name, path));
  EXPECT_EQ(os.loadCounts[L"advpack.dll"], 1);
}

TEST(LocateFile, LongModulePathComesBackWhole) {
  FakeOs os;
  const std::wstring longPath = L"C:\\" + std::wstring(400, L'd') + L"\\deep.dll";
  os.libraries[L"deep.dll"] = {longPath};
  std::wstring name = L"deep.dll";
  std::wstring path(1024, L' ');
  EXPECT_TRUE(LocateFile(os, name, path));
  EXPECT_EQ(path.size(), longPath.size());
}

TEST(LocateFile, FailedLoadRunsTheOutsideSearchOnceAndIgnoresWhatItFound) {
  FakeOs os;
  os.searchRewritesPath = L"C:\\found\\VELcdg.dll";
  os.searchRewritesName = L"velcdg.dll";
  std::wstring name = L"VELcdg.dll";
  std::wstring path(1024, L' ');
  EXPECT_FALSE(LocateFile(os, name, path));
  EXPECT_EQ(os.searchCalls, 1);
  EXPECT_EQ(path, L"Unable to locate");
  EXPECT_EQ(name, L"velcdg.dll") << "the search function's name comes back to the caller";
  EXPECT_EQ(os.recorded, 126u) << "the loader's code survives a search that leaves it";

  os.searchError = 1157;
  EXPECT_FALSE(LocateFile(os, name, path));
  EXPECT_EQ(os.recorded, 1157u) << "the search function's code is the one recorded last";
}

TEST(LocateFile, UnboundSearchFunctionStillEndsAsUnableToLocate) {
  FakeOs os;
  os.searchBound = false;
  CDLLVersion inspector(os);
  std::wstring name = L"VELRotation.ocx", clsid, version;
  inspector.LoadFileInfo(name, clsid, version);
  EXPECT_EQ(inspector.FilePathName(), L"Unable to locate VELRotation.ocx");
  EXPECT_EQ(inspector.FileRegistrationInfo(), L"");
}

TEST(LocateFile, ModuleWithoutHandleAfterLoadIsFoundWithEmptyPath) {
  FakeOs os;
  os.libraries[L"odd.dll"] = {L"C:\\odd.dll", false};
  std::wstring name = L"odd.dll";
  std::wstring path(1024, L' ');
  EXPECT_TRUE(LocateFile(os, name, path));
  EXPECT_EQ(path, L"");
  EXPECT_EQ(os.loadCounts[L"odd.dll"], 0);
}

TEST(VersionText, FourWordsInPlainDecimal) {
  EXPECT_EQ(FormatFileVersion(0x00060000, 0x1FE90000), L"6.0.8169.0");
  EXPECT_EQ(FormatFileVersion(0x80008001, 0xFFFFFFFF), L"32768.32769.65535.65535");
  EXPECT_EQ(FormatFileVersion(0, 0), L"0.0.0.0");
  EXPECT_EQ(HiWord(0xFFFF0000u), 65535u);
  EXPECT_EQ(LoWord(0x0000FFFFu), 65535u);
  FakeOs os;
  EXPECT_EQ(GetFileVersionText(os, L"C:\\noversion.dll"), L"");
}

TEST(ErrorText, SystemTextWithoutLineEndOrErrorAndNumber) {
  FakeOs os;
  os.messages[126] = L"The specified module could not be found.\r\n";
  os.messages[5] = L"Access denied.";  // no line end: nothing of the text is lost
  os.messages[7] = L"\r\n";
  os.messages[8] = L"x";
  EXPECT_EQ(GetErrorText(os, 126), L"The specified module could not be found.");
  EXPECT_EQ(GetErrorText(os, 5), L"Access denied.");
  EXPECT_EQ(GetErrorText(os, 7), L"Error 7");
  EXPECT_EQ(GetErrorText(os, 8), L"Error 8");
  EXPECT_EQ(GetErrorText(os, 3221225477u), L"Error 3221225477");
}

}  // namespace
}  // namespace kit::verifier::testing
