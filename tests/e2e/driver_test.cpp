// The driver fails loudly and within its bounds: a program that does not start, a window that
// never appears, a program that does not end. A window's text is read whole, however long.
#include "tests/e2e/e2e_support.h"

#include <string>

namespace {
using namespace kit;

TEST(Driver, AProgramThatDoesNotExistIsAClearFailure) {
  auto program = driver::Program::Start(driver::BesideMe(L"no_such_program.exe"));
  EXPECT_FALSE(program.Started());
  EXPECT_NE(program.Error().find(L"no_such_program.exe"), std::wstring::npos) << driver::Narrow(program.Error());
  EXPECT_EQ(program.WaitForWindow(L"Form1", 100), nullptr);
  EXPECT_FALSE(program.WaitForExit(100));
}

TEST(Driver, WaitsAreBounded) {
  auto started = e2e::StartAndWaitForForm(L"probe_base.exe");
  ASSERT_TRUE(started.form);
  const ULONGLONG begin = GetTickCount64();
  EXPECT_EQ(started.program.WaitForWindow(L"No such window", 500), nullptr);
  EXPECT_FALSE(driver::WaitForMessageBox(started.program.Id(), 500).has_value());
  EXPECT_FALSE(started.program.WaitForExit(500));
  const ULONGLONG spent = GetTickCount64() - begin;
  EXPECT_LT(spent, 5000u) << "three bounded waits of 0.5 s took " << spent << " ms";
  started.program.Kill();
  EXPECT_FALSE(started.program.Running());
}

// The bounds a test leaves to the driver (its defaults, a window's text) grow on the emulated CPU
// as those the test scales itself do: every test program sets the driver's scale before main.
// e2e_wait_scale runs this with KIT_WAIT_SCALE=3.
TEST(Driver, DefaultBoundsFollowTheTestsWaitScale) {
  EXPECT_EQ(driver::DefaultWaitMs(), driver::Scaled(15000)) << "tests' wait scale " << driver::TestWaitScale();
}

// A window made and served by a thread of its own, as another program's is: the driver's messages
// cross threads and wait for its answer.
class WindowOnThread {
public:
  WindowOnThread(const wchar_t* className, const std::wstring& text) : m_className(className), m_text(text) {
    m_made = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
    if (m_thread) WaitForSingleObject(m_made, 10000);
  }
  ~WindowOnThread() {
    if (m_window) PostMessageW(m_window, WM_CLOSE, 0, 0);
    if (m_thread) {
      WaitForSingleObject(m_thread, 10000);
      CloseHandle(m_thread);
    }
    CloseHandle(m_made);
  }
  HWND Window() const { return m_window; }

private:
  static DWORD WINAPI Serve(void* self) {
    auto* that = static_cast<WindowOnThread*>(self);
    that->m_window = CreateWindowExW(0, that->m_className, that->m_text.c_str(), WS_OVERLAPPEDWINDOW,
                                     0, 0, 400, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetEvent(that->m_made);
    MSG message;
    while (that->m_window && GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.message == WM_CLOSE) break;  // posted to a static, which would only hide
      DispatchMessageW(&message);
    }
    if (that->m_window) DestroyWindow(that->m_window);
    return 0;
  }

  const wchar_t* m_className;
  std::wstring m_text;
  HANDLE m_made = nullptr;
  HANDLE m_thread = nullptr;
  HWND m_window = nullptr;
};

std::wstring LongText(std::size_t length) {
  std::wstring text;
  for (std::size_t i = 0; text.size() < length; ++i) text += L"Line " + std::to_wstring(i) + L" of a long static text. ";
  text.resize(length);
  return text;
}

TEST(Driver, ALongTextIsReadWhole) {
  const std::wstring text = LongText(5000);
  const WindowOnThread window(L"Static", text);
  ASSERT_TRUE(window.Window());
  const std::wstring read = driver::WindowText(window.Window());
  EXPECT_EQ(read.size(), text.size());
  EXPECT_EQ(read, text);
}

// A window whose text grows between the driver's question for its length and the one for the text.
std::wstring g_growing;
bool g_grown = false;
LRESULT CALLBACK GrowingText(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(g_growing.size());
  if (message == WM_GETTEXT) {
    if (!g_grown) g_growing += LongText(3000);
    g_grown = true;
    const std::size_t copied = std::min<std::size_t>(g_growing.size(), wParam ? wParam - 1 : 0);
    if (wParam) {
      g_growing.copy(reinterpret_cast<wchar_t*>(lParam), copied);
      reinterpret_cast<wchar_t*>(lParam)[copied] = L'\0';
    }
    return static_cast<LRESULT>(copied);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST(Driver, ATextThatGrowsWhileItIsReadIsReadWhole) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = GrowingText;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"kit_growing_text";
  ASSERT_TRUE(RegisterClassW(&windowClass));
  const WindowOnThread window(L"kit_growing_text", L"");
  ASSERT_TRUE(window.Window());
  g_growing = LongText(5000);  // the window's thread reads it only when the driver asks
  g_grown = false;
  const std::wstring expected = g_growing + LongText(3000);
  EXPECT_EQ(driver::WindowText(window.Window()), expected);
  UnregisterClassW(L"kit_growing_text", GetModuleHandleW(nullptr));
}

}  // namespace
