// probe_base under Wine, driven as a person would: its window, its one button, and every way
// it ends.
#include "tests/e2e/e2e_support.h"

namespace {
using namespace kit;
using namespace kit::e2e;

const DWORD kEndMs = driver::Scaled(10000);

std::vector<driver::Item> Buttons(HWND form) { return driver::ListItems(form); }

TEST(ProbeBase, ShowsForm1WithItsClientSizeAndOneFocusedDoneButton) {
  auto started = StartAndWaitForForm(L"probe_base.exe");
  ASSERT_TRUE(started.form);
  EXPECT_EQ(driver::WindowText(started.form), L"Form1");
  const SIZE client = driver::ClientSize(started.form);
  EXPECT_EQ(client.cx, PixelsX(1670));
  EXPECT_EQ(client.cy, PixelsY(1080));
  const auto items = Buttons(started.form);
  ASSERT_EQ(items.size(), 1u) << driver::Narrow(driver::Describe(items));
  const driver::Item& done = items[0];
  EXPECT_EQ(done.text, L"done");
  EXPECT_EQ(done.className, L"Button");
  EXPECT_EQ(done.rect.left, PixelsX(270));
  EXPECT_EQ(done.rect.top, PixelsY(330));
  EXPECT_EQ(done.rect.right - done.rect.left, PixelsX(1065));
  EXPECT_EQ(done.rect.bottom - done.rect.top, PixelsY(375));
  EXPECT_TRUE(done.visible && done.enabled && done.tabStop);
  EXPECT_TRUE(done.focused) << "the end button holds the focus at start; focus is on "
                            << driver::Narrow(driver::WindowText(driver::FocusedWindow(started.form)));
  const LONG style = GetWindowLongW(started.form, GWL_STYLE);
  EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW) << std::hex << style;
  EXPECT_EQ(GetMenu(started.form), nullptr);
  ExpectNoMessageBox(started.program);
}

TEST(ProbeBase, EndsOnEveryWayOfEnding) {
  struct Way {
    const char* name;
    void (*act)(HWND form);
  };
  const Way ways[] = {
      {"click on done", [](HWND form) { driver::Click(driver::ListItems(form).at(0).window); }},
      {"Space right after start", [](HWND form) { driver::PressKey(form, VK_SPACE); }},
      {"Enter right after start", [](HWND form) { driver::PressKey(form, VK_RETURN); }},
      {"close box", [](HWND form) { driver::CloseWithCloseBox(form); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    auto started = StartAndWaitForForm(L"probe_base.exe");
    ASSERT_TRUE(started.form);
    way.act(started.form);
    DWORD exitCode = 1234;
    EXPECT_TRUE(started.program.WaitForExit(kEndMs, &exitCode)) << "still running after " << way.name;
    EXPECT_EQ(exitCode, 0u);
  }
}

TEST(ProbeBase, OtherKeysDoNotEndIt) {
  auto started = StartAndWaitForForm(L"probe_base.exe");
  ASSERT_TRUE(started.form);
  driver::PressKey(started.form, VK_ESCAPE);
  driver::PressKey(started.form, 'A');
  driver::PressKey(started.form, VK_TAB);
  ASSERT_TRUE(driver::WaitIdle(started.form));
  EXPECT_FALSE(started.program.WaitForExit(300));
  EXPECT_TRUE(driver::ListItems(started.form).at(0).focused) << "Tab with one item keeps the focus on it";
}

TEST(ProbeBase, CommandLineArgumentsChangeNothing) {
  auto plain = StartAndWaitForForm(L"probe_base.exe");
  ASSERT_TRUE(plain.form);
  const std::wstring expected = driver::Describe(driver::ListItems(plain.form));
  const SIZE expectedClient = driver::ClientSize(plain.form);
  plain.program.Kill();
  for (const wchar_t* arguments : {L"/?", L"-x extra \"quoted arg\"", L"C:\\nothing.txt"}) {
    auto started = StartAndWaitForForm(L"probe_base.exe", arguments);
    ASSERT_TRUE(started.form) << driver::Narrow(arguments);
    EXPECT_EQ(driver::Describe(driver::ListItems(started.form)), expected) << driver::Narrow(arguments);
    EXPECT_EQ(driver::ClientSize(started.form).cx, expectedClient.cx);
    EXPECT_EQ(driver::ClientSize(started.form).cy, expectedClient.cy);
    driver::Click(driver::ListItems(started.form).at(0).window);
    EXPECT_TRUE(started.program.WaitForExit(kEndMs));
  }
}

TEST(ProbeBase, ResizingOrMaximisingMovesNothing) {
  auto started = StartAndWaitForForm(L"probe_base.exe");
  ASSERT_TRUE(started.form);
  const std::wstring before = driver::Describe(driver::ListItems(started.form));
  driver::Resize(started.form, 500, 400);
  ASSERT_TRUE(driver::WaitIdle(started.form));
  EXPECT_EQ(driver::ClientSize(started.form).cx > PixelsX(1670), true) << "the window did not grow";
  EXPECT_EQ(driver::Describe(driver::ListItems(started.form)), before);
  PostMessageW(started.form, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(driver::WaitIdle(started.form));
  EXPECT_EQ(driver::Describe(driver::ListItems(started.form)), before);
}

}  // namespace
