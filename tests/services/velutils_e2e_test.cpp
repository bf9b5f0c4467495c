// probe_VELUtils under Wine, run from a folder of its own with or without a VEL_Intel_Win32.dll
// beside it: ticked and silent when the library loads; otherwise the message first, then the
// window unticked.
#include "tests/services/services_support.h"

namespace {
using namespace kit;
using namespace kit::e2e;
using namespace kit::services_test;

constexpr wchar_t kProgram[] = L"probe_VELUtils";
constexpr wchar_t kMessage[] = L" Loadlib error return for VEL_Intel_Win32.dll :  0";

std::vector<ExpectedItem> Items(int check) {
  return {{L"done", L"Button", 1230, 1560, 1065, 375},
          {L"VEL_Intel_Win32", L"Button", 300, 150, 1995, 255, check}};
}

// A folder holding a copy of the probe and, when given, `library` under the name the probe loads.
std::wstring ProbeFolder(const std::wstring& name, const wchar_t* library) {
  const std::wstring folder = ScratchFolder(name);
  EXPECT_TRUE(CopyFileW(driver::BesideMe(L"probe_VELUtils.exe").c_str(), (folder + L"\\probe_VELUtils.exe").c_str(), FALSE));
  if (library) {
    EXPECT_TRUE(CopyFileW(driver::BesideMe(library).c_str(), (folder + L"\\VEL_Intel_Win32.dll").c_str(), FALSE));
  }
  return folder;
}

TEST(Velutils, LoadableLibraryTicksTheBoxWithoutAMessage) {
  const std::wstring folder = ProbeFolder(L"velutils_present", L"standin_vel_intel.dll");
  driver::Program program = driver::Program::Start(folder + L"\\probe_VELUtils.exe", L"", folder);
  ASSERT_TRUE(program.Started()) << driver::Narrow(program.Error());
  HWND form = program.WaitForWindow(L"Form1");
  ASSERT_TRUE(form);
  ExpectNoMessageBox(program);
  ExpectForm(form, 2580, 2130, Items(BST_CHECKED));
  // The box answers nothing but its own tick.
  driver::Click(driver::FindItem(form, L"VEL_Intel_Win32")->window);
  EXPECT_TRUE(driver::WaitUntil([&] { return driver::FindItem(form, L"VEL_Intel_Win32")->check == BST_UNCHECKED; }));
  ExpectNoMessageBox(program);
  driver::PressKey(form, VK_SPACE);  // the focus went to the box with the click
  EXPECT_TRUE(driver::WaitUntil([&] { return driver::FindItem(form, L"VEL_Intel_Win32")->check == BST_CHECKED; }));
  driver::Click(driver::FindItem(form, L"done")->window);
  EXPECT_TRUE(program.WaitForExit(driver::Scaled(10000)));
}

TEST(Velutils, MissingOrBrokenLibraryShowsTheMessageBeforeTheWindowThenUnticked) {
  for (const wchar_t* library : {static_cast<const wchar_t*>(nullptr), L"standin_vel_intel_failing.dll"}) {
    SCOPED_TRACE(library ? "fails to initialise" : "absent");
    const std::wstring folder = ProbeFolder(L"velutils_absent", library);
    driver::Program program = driver::Program::Start(folder + L"\\probe_VELUtils.exe", L"", folder);
    ASSERT_TRUE(program.Started()) << driver::Narrow(program.Error());
    auto box = driver::WaitForMessageBox(program.Id());
    ASSERT_TRUE(box);
    for (HWND window : driver::TopLevelWindows(program.Id())) {
      EXPECT_NE(driver::WindowText(window), L"Form1") << "Form1 is shown before the message is answered";
    }
    ExpectMessageAndAnswer(box, kMessage, kProgram);
    HWND form = program.WaitForWindow(L"Form1");
    ASSERT_TRUE(form);
    ExpectForm(form, 2580, 2130, Items(BST_UNCHECKED));
    ExpectNoMessageBox(program);
    program.Kill();
    program.WaitForExit();
  }
}

}  // namespace
