// The probe shell's Win32 side inside the test process, where fonts and window order can be read:
// Form1 built from descriptions, without running a message loop.
#include "common/ansi_text.h"
#include "common/twips.h"
#include "probes/shell/form_window.h"
#include "catalogue/standard_items.h"

#include <gtest/gtest.h>

#include <ole2.h>

#include <string>
#include <vector>

namespace {
using namespace kit::shell;

std::string Narrow(std::wstring_view text) { return kit::ToAnsi(text); }

constexpr FontSpec kArialBold{.face = L"Arial", .points = 8, .weight = 700, .italic = true};

constexpr ItemRecord kForm[] = {
    {.name = L"Form1", .kind = ItemKind::Window, .caption = L"Form1", .left = 320, .top = 740, .width = 3000,
     .height = 2400, .placement = Placement::Fixed},
    {.name = L"Command_test", .kind = ItemKind::CommandButton, .caption = L"test", .left = 120, .top = 1200,
     .width = 1065, .height = 375, .tabIndex = 2},
    {.name = L"Check_lib", .kind = ItemKind::CheckBox, .caption = L"lib", .left = 120, .top = 720, .width = 1500,
     .height = 300, .tabIndex = 1, .font = kArialBold},
    {.name = L"Option", .index = 1, .kind = ItemKind::CheckBox, .caption = L"one", .left = 1700, .top = 120,
     .width = 900, .height = 300, .tabIndex = 3},
    {.name = L"Option", .index = 0, .kind = ItemKind::CheckBox, .caption = L"zero", .left = 1700, .top = 480,
     .width = 900, .height = 300, .tabIndex = 4},
    {.name = L"Status", .kind = ItemKind::CommandButton, .caption = L"status", .left = 0, .top = 2000,
     .width = 3000, .height = 400, .align = Align::Bottom},
    CommandDone(120, 120),
};

constexpr ItemRecord kControlForm[] = {
    FormWindow(3530, 2360),
    CommandDone(2370, 1830),
    {.name = L"sld_absent", .kind = ItemKind::ActiveX,
     .control = {L"KitAbsent.Slider", L"{6B1D4E30-0000-4A1B-9C2D-00000000AB5E}", L"KITABSENT.OCX"},
     .left = 3000, .top = 690, .width = 630, .height = 795, .tabIndex = 1},
};

std::unique_ptr<Form> BuildOrFail(FormDescription description) {
  BuildFailure failure;
  auto form = Form::Build(description, {}, failure);
  EXPECT_TRUE(form) << "code " << failure.code << ": " << Narrow(failure.message);
  return form;
}

RECT ClientRectOf(HWND item) {
  RECT rect{};
  GetWindowRect(item, &rect);
  MapWindowPoints(nullptr, GetParent(item), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LOGFONTW FontOf(HWND item) {
  LOGFONTW font{};
  auto handle = reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0));
  EXPECT_NE(handle, nullptr);
  if (handle) GetObjectW(handle, sizeof(font), &font);
  return font;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST(ShellWindow, ClientAreaAndItemsSitAtTheirTwipsPlaces) {
  auto form = BuildOrFail(kForm);
  ASSERT_TRUE(form);
  const Dpi dpi = form->ScreenDpi();
  RECT client{};
  GetClientRect(form->Window(), &client);
  EXPECT_EQ(client.right, kit::TwipsToPixels(3000, dpi.x));
  EXPECT_EQ(client.bottom, kit::TwipsToPixels(2400, dpi.y));
  const RECT test = ClientRectOf(form->ItemWindow(L"Command_test"));
  EXPECT_EQ(test.left, kit::TwipsToPixels(120, dpi.x));
  EXPECT_EQ(test.top, kit::TwipsToPixels(1200, dpi.y));
  EXPECT_EQ(test.right - test.left, kit::TwipsToPixels(1065, dpi.x));
  EXPECT_EQ(test.bottom - test.top, kit::TwipsToPixels(375, dpi.y));
  // A window with a fixed place has its client area's corner there, in screen twips.
  POINT origin{0, 0};
  ClientToScreen(form->Window(), &origin);
  EXPECT_EQ(origin.x, kit::TwipsToPixels(320, dpi.x));
  EXPECT_EQ(origin.y, kit::TwipsToPixels(740, dpi.y));
  wchar_t caption[32] = {};
  GetWindowTextW(form->Window(), caption, 32);
  EXPECT_STREQ(caption, L"Form1");
  EXPECT_FALSE(IsWindowVisible(form->Window())) << "nothing shows before Show()";
}

TEST(ShellWindow, ControlArrayItemsAreFoundByNameAndIndex) {
  auto form = BuildOrFail(kForm);
  ASSERT_TRUE(form);
  HWND one = form->ItemWindow(L"Option", std::int16_t{1});
  HWND zero = form->ItemWindow(L"Option", std::int16_t{0});
  ASSERT_TRUE(one && zero);
  EXPECT_NE(one, zero);
  wchar_t text[16] = {};
  GetWindowTextW(zero, text, 16);
  EXPECT_STREQ(text, L"zero");
  EXPECT_EQ(form->ItemWindow(L"Option"), nullptr) << "an array member needs its index";
  EXPECT_EQ(form->ItemWindow(L"Nothing"), nullptr);
}

TEST(ShellWindow, FontsAreTheItemsOwnOrTheDefaultUserInterfaceFont) {
  auto form = BuildOrFail(kForm);
  ASSERT_TRUE(form);
  const LOGFONTW own = FontOf(form->ItemWindow(L"Check_lib"));
  EXPECT_STREQ(own.lfFaceName, L"Arial");
  EXPECT_EQ(own.lfWeight, 700);
  EXPECT_TRUE(own.lfItalic);
  EXPECT_EQ(own.lfHeight, FontHeightPixels(8, form->ScreenDpi().y));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
  for (const wchar_t* name : {L"Command_test", L"Command_done", L"Status"}) {
    const LOGFONTW font = FontOf(form->ItemWindow(name));
    EXPECT_STREQ(font.lfFaceName, metrics.lfMessageFont.lfFaceName) << Narrow(name);
    EXPECT_EQ(font.lfHeight, metrics.lfMessageFont.lfHeight) << Narrow(name);
  }
}

TEST(ShellWindow, LaterItemsLieAboveEarlierOnesAndTabFollowsTheTabIndexes) {
  auto form = BuildOrFail(kForm);
  ASSERT_TRUE(form);
  std::vector<std::wstring> stacked;
  for (HWND child = GetWindow(form->Window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t text[32] = {};
    GetWindowTextW(child, text, 32);
    stacked.push_back(text);
  }
  const std::vector<std::wstring> topFirst{L"done", L"status", L"zero", L"one", L"lib", L"test"};
  EXPECT_EQ(stacked, topFirst);

  form->Show(SW_SHOWNOACTIVATE);
  std::vector<std::wstring> walk;
  for (int i = 0; i < 5; ++i) {
    HWND focus = GetFocus();
    wchar_t text[32] = {};
    GetWindowTextW(focus, text, 32);
    walk.push_back(text);
    MSG tab{focus, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(form->PreTranslate(tab));
  }
  const std::vector<std::wstring> byTabIndex{L"done", L"lib", L"test", L"one", L"zero"};
  EXPECT_EQ(walk, byTabIndex);
  EXPECT_EQ(GetFocus(), form->ItemWindow(L"Command_done")) << "the walk wraps round";

  // Shift+Tab walks back: from the first item to the last.
  BYTE keys[256] = {};
  ASSERT_TRUE(GetKeyboardState(keys));
  keys[VK_SHIFT] = 0x80;
  ASSERT_TRUE(SetKeyboardState(keys));
  MSG back{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_TRUE(form->PreTranslate(back));
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(GetFocus(), form->ItemWindow(L"Option", 0));
}

// WM_NEXTDLGCTL as the dialog manager defines it, by the form's tab indexes; a window that is not
// the form's leaves the focus where it is.
TEST(ShellWindow, NextDialogControlMovesTheFocusByTabIndexOrToTheGivenWindow) {
  auto form = BuildOrFail(kForm);
  ASSERT_TRUE(form);
  form->Show(SW_SHOWNOACTIVATE);
  HWND stranger = CreateWindowExW(0, L"BUTTON", L"stranger", WS_OVERLAPPED, 0, 0, 50, 20, nullptr, nullptr,
                                  nullptr, nullptr);
  struct Case {
    WPARAM wParam;
    LPARAM lParam;
    HWND expected;
  };
  const Case cases[] = {
      {0, 0, form->ItemWindow(L"Check_lib")},
      {0, 0, form->ItemWindow(L"Command_test")},
      {1, 0, form->ItemWindow(L"Check_lib")},
      {reinterpret_cast<WPARAM>(form->ItemWindow(L"Option", 0)), TRUE, form->ItemWindow(L"Option", 0)},
      {reinterpret_cast<WPARAM>(stranger), TRUE, form->ItemWindow(L"Option", 0)},
      {1, 0, form->ItemWindow(L"Option", 1)},
  };
  for (const Case& c : cases) {
    SendMessageW(form->Window(), WM_NEXTDLGCTL, c.wParam, c.lParam);
    wchar_t text[32] = {};
    GetWindowTextW(GetFocus(), text, 32);
    EXPECT_EQ(GetFocus(), c.expected) << "wParam " << c.wParam << " lParam " << c.lParam << ": at " << Narrow(text);
  }
  DestroyWindow(stranger);
}

TEST(ShellWindow, FocusGoesToTheLowestTabIndexOnShow) {
  auto form = BuildOrFail(kForm);
  ASSERT_TRUE(form);
  form->Show(SW_SHOWNOACTIVATE);
  EXPECT_EQ(GetFocus(), form->ItemWindow(L"Command_done"));
}

TEST(ShellWindow, AlignedItemsFollowTheirEdgeAndOthersStayPut) {
  auto form = BuildOrFail(kForm);
  ASSERT_TRUE(form);
  HWND status = form->ItemWindow(L"Status");
  HWND test = form->ItemWindow(L"Command_test");
  const RECT testBefore = ClientRectOf(test);
  const RECT statusBefore = ClientRectOf(status);
  RECT outer{};
  GetWindowRect(form->Window(), &outer);
  SetWindowPos(form->Window(), nullptr, 0, 0, outer.right - outer.left + 150, outer.bottom - outer.top + 90,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client{};
  GetClientRect(form->Window(), &client);
  const RECT statusAfter = ClientRectOf(status);
  EXPECT_EQ(statusAfter.left, 0);
  EXPECT_EQ(statusAfter.right, client.right);
  EXPECT_EQ(statusAfter.bottom, client.bottom);
  EXPECT_EQ(statusAfter.bottom - statusAfter.top, statusBefore.bottom - statusBefore.top);
  const RECT testAfter = ClientRectOf(test);
  EXPECT_TRUE(EqualRect(&testAfter, &testBefore)) << "an item that is not aligned moved";
}

TEST(ShellWindow, AControlThatCannotBeCreatedFailsTheBuildAndLeavesNoWindow) {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }  // what earlier tests' shown forms left behind
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  BuildFailure failure;
  auto form = Form::Build(kControlForm, {}, failure);
  EXPECT_FALSE(form);
  EXPECT_EQ(failure.code, static_cast<std::uint32_t>(REGDB_E_CLASSNOTREG));
  EXPECT_EQ(failure.message.rfind(L"KITABSENT.OCX", 0), 0u) << Narrow(failure.message);
  int windows = 0;
  EnumThreadWindows(GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&windows));
  EXPECT_EQ(windows, 0) << "the half-built window must be gone";
  EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "a torn-down form must not post a quit";
  OleUninitialize();
}

}  // namespace
