// The survey's pictures of windows that cannot be printed or do not answer: each window lives on a
// thread of its own (as another program's would: every call into it crosses threads), painted in
// one colour, and the picture must show that colour within a bound, whatever the window does.
#include "tests/support/driver_support.h"
#include "survey/window_picture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using kit::driver::Scaled;

constexpr COLORREF kSubjectColour = RGB(200, 40, 90);
constexpr COLORREF kCoverColour = RGB(30, 60, 220);
constexpr wchar_t kClass[] = L"kit_picture_subject";

// What a window does when it is asked to print itself (WM_PRINT, which PrintWindow sends).
enum class Prints {
  Itself,       // paints its colour for WM_PRINTCLIENT too
  Blank,        // paints only on WM_PAINT: printed, its client shows only its white background
  Ignores,      // answers WM_PRINT without drawing anything
  Hangs,        // answers every other message, but hangs when asked to print
};

struct Habits {
  Prints prints = Prints::Itself;
  COLORREF colour = kSubjectColour;
  DWORD style = WS_POPUP | WS_CAPTION;
  RECT place{100, 100, 400, 300};
  bool hangs = false;  // stops taking messages once it has shown itself
  HANDLE release = nullptr;  // set when the window may go on (its thread's)
};

LRESULT CALLBACK SubjectProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* habits = reinterpret_cast<const Habits*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  const auto fill = [&](HDC dc) {
    RECT client{};
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(habits->colour);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
  };
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(window, &paint);
      fill(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      if (habits->prints == Prints::Itself) fill(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_PRINT:
      if (habits->prints == Prints::Ignores) return 0;
      if (habits->prints == Prints::Hangs) WaitForSingleObject(habits->release, INFINITE);
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Takes the messages of the calling thread for `ms`: Wine puts what a thread painted on the
// screen while the thread looks at its queue.
void Pump(DWORD ms) {
  const kit::driver::Deadline bound(ms);
  MSG message;
  while (!bound.Passed()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, bound.Left(), QS_ALLINPUT);
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

// A window on a thread of its own, shown and painted when the constructor returns.
class WindowThread {
public:
  explicit WindowThread(const Habits& habits) : m_habits(habits) {
    m_ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_habits.release = m_release;
    m_thread = CreateThread(nullptr, 0, &WindowThread::Run, this, 0, &m_threadId);
    WaitForSingleObject(m_ready, 10000);
  }
  ~WindowThread() {
    SetEvent(m_release);
    PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    WaitForSingleObject(m_thread, 10000);
    for (HANDLE handle : {m_thread, m_ready, m_release}) CloseHandle(handle);
  }
  HWND Window() const { return m_window; }

private:
  static DWORD WINAPI Run(void* self) { return static_cast<WindowThread*>(self)->Live(); }
  DWORD Live() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = SubjectProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);  // once for the process; later threads find it
    const RECT& place = m_habits.place;
    m_window = CreateWindowExW(0, kClass, L"subject", m_habits.style, place.left, place.top, place.right - place.left,
                               place.bottom - place.top, nullptr, nullptr, wc.hInstance, &m_habits);
    ShowWindow(m_window, SW_SHOWNOACTIVATE);
    UpdateWindow(m_window);
    Pump(300);
    SetEvent(m_ready);
    if (m_habits.hangs) WaitForSingleObject(m_release, INFINITE);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    DestroyWindow(m_window);
    return 0;
  }

  Habits m_habits;
  HWND m_window = nullptr;
  HANDLE m_ready = nullptr;
  HANDLE m_release = nullptr;
  HANDLE m_thread = nullptr;
  DWORD m_threadId = 0;
};

COLORREF At(const kit::report::Picture& picture, int x, int y) {
  const std::size_t i = (static_cast<std::size_t>(y) * picture.width + x) * 3;
  return RGB(picture.rgb[i], picture.rgb[i + 1], picture.rgb[i + 2]);
}

// The same colour as a screen of 16 bits a pixel keeps it (5 or 6 bits a channel).
bool Near(COLORREF a, COLORREF b) {
  const auto close = [](int x, int y) { return x - y <= 8 && y - x <= 8; };
  return close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) && close(GetBValue(a), GetBValue(b));
}

std::string Hex(COLORREF colour) {
  char text[16];
  wsprintfA(text, "#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
  return text;
}

TEST(WindowPicture, ShowsTheWindowWhateverItDoesAndNeverWaitsOnAHungOne) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const RECT larger{-100, 50, screenWidth + 300, screenHeight + 200};
  struct Case {
    const char* name;
    Habits habits;
    bool covered;        // another window lies over it
    bool showsColour;    // the picture's inside is the window's colour (not so for a hung, covered one)
  };
  const Case cases[] = {
      // Without a frame: Wine's own WM_PRINT puts the client area's printing at the window's corner.
      {"prints itself", {.style = WS_POPUP}, false, true},
      {"paints only on WM_PAINT", {.prints = Prints::Blank}, false, true},
      {"ignores WM_PRINT", {.prints = Prints::Ignores}, false, true},
      {"paints only on WM_PAINT, covered", {.prints = Prints::Blank}, true, true},
      {"larger than the screen", {.prints = Prints::Blank, .style = WS_POPUP, .place = larger}, false, true},
      {"hung", {.prints = Prints::Blank, .hangs = true}, false, true},
      {"hangs when printed", {.prints = Prints::Hangs}, false, true},
      {"hung, covered", {.prints = Prints::Blank, .hangs = true}, true, false},
      {"hung, larger than the screen", {.prints = Prints::Blank, .style = WS_POPUP, .place = larger, .hangs = true},
       false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WindowThread subject(c.habits);
    ASSERT_TRUE(subject.Window());
    std::optional<WindowThread> cover;
    if (c.covered) {
      cover.emplace(Habits{.colour = kCoverColour, .place = c.habits.place});
    }
    RECT before{};
    GetWindowRect(subject.Window(), &before);

    const DWORD start = GetTickCount();
    const std::optional<kit::report::Picture> picture = kit::survey::TakePicture(subject.Window(), L"subject");
    const DWORD took = GetTickCount() - start;

    // A hung window costs one bound (3 s) and the copy; one that answers is not waited on for long.
    const bool hangs = c.habits.hangs || c.habits.prints == Prints::Hangs;
    EXPECT_LE(took, Scaled(hangs ? 4000 : 8000));
    ASSERT_TRUE(picture.has_value());
    ASSERT_EQ(picture->width, before.right - before.left);
    ASSERT_EQ(picture->height, before.bottom - before.top);
    ASSERT_EQ(picture->rgb.size(), static_cast<std::size_t>(picture->width) * picture->height * 3);
    if (c.showsColour) {
      RECT client{};
      GetClientRect(subject.Window(), &client);
      MapWindowPoints(subject.Window(), nullptr, reinterpret_cast<POINT*>(&client), 2);
      OffsetRect(&client, -before.left, -before.top);
      // Inside the client area, at its middle and near each corner.
      const int inset = 4;
      const POINT looks[] = {{(client.left + client.right) / 2, (client.top + client.bottom) / 2},
                             {client.left + inset, client.top + inset},
                             {client.right - inset, client.top + inset},
                             {client.left + inset, client.bottom - inset},
                             {client.right - inset, client.bottom - inset}};
      for (const POINT& look : looks) {
        const COLORREF seen = At(*picture, look.x, look.y);
        EXPECT_TRUE(Near(seen, kSubjectColour)) << Hex(seen) << " at " << look.x << ", " << look.y;
      }
    }
    if (!hangs) {
      // Put back where it stood, and no longer above every other window.
      RECT after{};
      GetWindowRect(subject.Window(), &after);
      EXPECT_TRUE(EqualRect(&after, &before));
      EXPECT_FALSE(GetWindowLongW(subject.Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    }
  }
}

}  // namespace
