// Win32-only. Pictures of another process's window, taken from the window itself: PrintWindow has
// it draw into a bitmap of ours, so whatever lies above it on the screen stays out of the report.
// Where the window cannot be printed (under Wine, a device context of ours means nothing in the
// other process, and the bitmap comes back untouched; a window that paints only on WM_PAINT prints
// blank), it is copied from the screen instead: as it stands when nothing covers it (once two
// copies a moment apart agree), else raised above every other window and repainted first.
//
// Nothing here waits on a window without a bound: a window whose thread does not answer (a hung
// program) is never sent a message that waits for it. It prints itself on a thread of ours that is
// waited for within a bound, its moves are asked of its own thread (SWP_ASYNCWINDOWPOS) and looked
// for within a bound, and once any bounded wait on it has failed, nothing more is asked of it or
// waited for: what the screen shows where it stands is its picture. A hung window costs one
// bound, kRepaintWaitMs.
#include "survey/window_picture.h"

#include "common/owners.h"
#include "driver/driver.h"

#include <algorithm>
#include <vector>

namespace kit::survey {
namespace {

constexpr DWORD kRepaintWaitMs = 3000;
// A move asked of the window's thread: looked for this long before the window counts as not answering.
constexpr DWORD kMoveWaitMs = 1000;
// A window copied as it stands: looked at again after this long until two looks agree, at most
// kMostLooks times (a window that keeps changing, an animation, is taken as the last look shows it).
constexpr DWORD kLookMs = 5;
constexpr int kMostLooks = 8;

struct ScreenDc {
  HDC dc = GetDC(nullptr);
  ~ScreenDc() { ReleaseDC(nullptr, dc); }
};

struct MemoryDc {
  HDC dc;
  explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
  ~MemoryDc() { DeleteDC(dc); }
};

// The window being pictured, and whether its thread still answers: false once a bounded wait on it
// has failed, after which it is asked nothing more.
struct Subject {
  HWND window;
  bool answers = true;
};

// A colour no window draws everywhere: a bitmap still all of it was not printed. The canvas holds
// 32 bits a pixel whatever the screen's depth, so the colour is kept exactly (on a 16-bit screen a
// bitmap like the screen's would round it).
constexpr COLORREF kUntouched = RGB(1, 254, 3);

// The bitmap a picture is put together in, of the window's size (a 32-bit top-down DIB section,
// selected into `memory` throughout: its pixels are read in place), and the screen it is copied from.
struct Canvas {
  HDC screen;
  HDC memory;
  std::uint32_t* bits;  // 0x00RRGGBB, top row first
  int width;
  int height;

  std::size_t Size() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
  std::uint32_t At(int x, int y) const { return bits[static_cast<std::size_t>(y) * width + x]; }
  void Fill(std::uint32_t colour) const {
    GdiFlush();
    std::fill(bits, bits + Size(), colour);
  }
};

constexpr std::uint32_t Pixel(COLORREF colour) {
  return static_cast<std::uint32_t>(GetRValue(colour)) << 16 | static_cast<std::uint32_t>(GetGValue(colour)) << 8 |
         GetBValue(colour);
}

// The window's client area in the canvas's coordinates, within the canvas (empty for a window without one).
RECT ClientPart(HWND window, const RECT& frame, const Canvas& canvas) {
  RECT client{};
  if (!GetClientRect(window, &client)) return {};
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -frame.left, -frame.top);
  const RECT all{0, 0, canvas.width, canvas.height};
  RECT part{};
  IntersectRect(&part, &client, &all);
  return part;
}

// True when a printed picture shows nothing of the window: its client area (the whole picture for a
// window without one) is all one colour (left untouched, or only erased by a window that paints
// nothing when printed: one that paints only on WM_PAINT, a control that ignores WM_PRINTCLIENT),
// or a sixty-fourth of it is still untouched (a part that nothing printed). A window whose client
// area is in fact one colour loses nothing by being copied from the screen instead.
bool Blank(const Canvas& canvas, RECT part) {
  if (IsRectEmpty(&part)) part = {0, 0, canvas.width, canvas.height};
  const std::uint32_t first = canvas.At(part.left, part.top);
  const std::uint32_t untouched = Pixel(kUntouched);
  bool oneColour = true;
  std::size_t untouchedCount = 0;
  for (int y = part.top; y < part.bottom; ++y) {
    for (int x = part.left; x < part.right; ++x) {
      const std::uint32_t pixel = canvas.At(x, y) & 0xFFFFFFu;
      oneColour = oneColour && pixel == (first & 0xFFFFFFu);
      untouchedCount += pixel == untouched;
    }
  }
  const auto area = static_cast<std::size_t>(part.right - part.left) * static_cast<std::size_t>(part.bottom - part.top);
  return oneColour || untouchedCount * 64 >= area;
}

BOOL CALLBACK StopAtUnpainted(HWND child, LPARAM unpainted) {
  if (!GetUpdateRect(child, nullptr, FALSE)) return TRUE;
  *reinterpret_cast<bool*>(unpainted) = true;
  return FALSE;
}

// True when neither the window nor any window inside it waits to be painted.
bool NothingToPaint(HWND window) {
  if (GetUpdateRect(window, nullptr, FALSE)) return false;
  bool unpainted = false;
  EnumChildWindows(window, StopAtUnpainted, reinterpret_cast<LPARAM>(&unpainted));
  return !unpainted;
}

// Waits, within kRepaintWaitMs, until the window's thread has painted what it had to: nothing in
// the window waits to be painted and the thread answers again (a thread answers between messages,
// not in the middle of a paint). True when the thread answers; a window that does not is not
// waited for again.
bool AwaitPainted(Subject& subject) {
  if (!subject.answers) return false;
  const driver::Deadline bound(kRepaintWaitMs);
  for (;;) {
    const bool painted = NothingToPaint(subject.window);
    subject.answers = driver::Answers(subject.window, bound.Left());
    if (!subject.answers || bound.Passed() || (painted && NothingToPaint(subject.window))) return subject.answers;
    Sleep(kLookMs);
  }
}

// Invalidated, then painted by the window's own thread from its loop. Not asked to paint at once
// (RDW_UPDATENOW): to a window of another thread that sends a WM_PAINT of its own, which waits for
// that thread without a bound, and comes after the loop's paint with nothing left to paint, and a
// verifier runs its whole check on every WM_PAINT. An invalidation alone sends nothing.
void Repaint(Subject& subject) {
  if (!subject.answers) return;
  RedrawWindow(subject.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  AwaitPainted(subject);
}

// PrintWindow waits for the window's thread without a bound (it sends WM_PRINT), and a window that
// answered a moment ago may hang as it prints. So it runs on a thread of its own, into a bitmap of
// that thread's, and is waited for within kRepaintWaitMs; a call still waiting then is left to
// finish whenever the window answers, and whichever of the two threads is done last frees what
// they share.
struct PrintJob {
  HWND window;
  HGDIOBJ bitmap = nullptr;
  HANDLE done = nullptr;
  BOOL printed = FALSE;
  LONG holders = 2;
};

void Release(PrintJob* job) {
  if (InterlockedDecrement(&job->holders)) return;
  if (job->bitmap) DeleteObject(job->bitmap);
  if (job->done) CloseHandle(job->done);
  delete job;
}

DWORD WINAPI RunPrint(void* parameter) {
  auto* job = static_cast<PrintJob*>(parameter);
  if (HDC dc = CreateCompatibleDC(nullptr)) {
    const HGDIOBJ previous = SelectObject(dc, job->bitmap);
    job->printed = PrintWindow(job->window, dc, 0);
    GdiFlush();
    SelectObject(dc, previous);
    DeleteDC(dc);
  }
  SetEvent(job->done);
  Release(job);
  return 0;
}

// Has the window print itself into the canvas (`info` describes the canvas). Asked only of a window
// that answers and has painted what it had to. True when the call succeeded in time; a window that
// did not finish in time counts as not answering.
bool Print(Subject& subject, const Canvas& canvas, const BITMAPINFO& info) {
  if (!AwaitPainted(subject)) return false;
  auto* job = new PrintJob{subject.window};
  void* bits = nullptr;
  job->bitmap = CreateDIBSection(canvas.screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  job->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = nullptr;
  if (job->bitmap && bits && job->done) {
    auto* const pixels = static_cast<std::uint32_t*>(bits);
    std::fill(pixels, pixels + canvas.Size(), Pixel(kUntouched));
    thread = CreateThread(nullptr, 0, RunPrint, job, 0, nullptr);
  }
  if (!thread) {
    job->holders = 1;
    Release(job);
    return false;
  }
  CloseHandle(thread);
  const bool finished = WaitForSingleObject(job->done, kRepaintWaitMs) == WAIT_OBJECT_0;
  const bool printed = finished && job->printed;
  if (printed) {
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    std::copy(pixels, pixels + canvas.Size(), canvas.bits);
  }
  subject.answers = finished;
  Release(job);
  return printed;
}

// Asks the window's own thread to move it (x, y) or to change its z-order (`after` with SWP_NOMOVE),
// with SWP_ASYNCWINDOWPOS: a plain SetWindowPos on another thread's window waits until that thread
// has carried it out. Then looks, within kMoveWaitMs, for the move carried out; one that is not
// (the thread does not answer, or the window refused) leaves the window as not answering. Asking
// a window that does not answer is harmless: its thread carries the requests out in order once it
// runs again.
void Move(Subject& subject, HWND after, int x, int y, UINT flags) {
  SetWindowPos(subject.window, after, x, y, 0, 0, flags | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  const driver::Deadline bound(kMoveWaitMs);
  while (subject.answers) {
    RECT now{};
    const bool topmost = (GetWindowLongW(subject.window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    const bool done = flags & SWP_NOMOVE ? topmost == (after == HWND_TOPMOST)
                                         : GetWindowRect(subject.window, &now) && now.left == x && now.top == y;
    if (done) return;
    if (bound.Passed()) subject.answers = false;
    else Sleep(kLookMs);
  }
}

// True when no visible window above `window` overlaps `part` (screen coordinates).
bool NothingAbove(HWND window, const RECT& part) {
  for (HWND above = GetWindow(window, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
    RECT other{};
    RECT overlap{};
    if (IsWindowVisible(above) && GetWindowRect(above, &other) && IntersectRect(&overlap, &other, &part)) return false;
  }
  return true;
}

RECT Screen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// True when the whole window lies on the screen and nothing covers it.
bool Uncovered(HWND window, const RECT& frame) {
  const RECT screen = Screen();
  RECT inside{};
  if (IsIconic(window) || !IntersectRect(&inside, &frame, &screen) || !EqualRect(&inside, &frame)) return false;
  return NothingAbove(window, frame);
}

// Copies `part` of the screen to `to` in the canvas once the display server has the program's last
// painting: two looks a moment apart that agree. The canvas keeps the last look.
void SteadyCopy(const Canvas& canvas, const RECT& part, POINT to) {
  const auto look = [&] {
    BitBlt(canvas.memory, to.x, to.y, part.right - part.left, part.bottom - part.top, canvas.screen, part.left,
           part.top, SRCCOPY);
    GdiFlush();
    return std::vector<std::uint32_t>(canvas.bits, canvas.bits + canvas.Size());
  };
  std::vector<std::uint32_t> last = look();
  for (int i = 1; i < kMostLooks; ++i) {
    Sleep(kLookMs);
    std::vector<std::uint32_t> now = look();
    if (now == last) break;
    last = std::move(now);
  }
}

// Copies what the screen shows where the window stands now (the part of it on the screen; the
// rest of the canvas keeps what it has): all that can be had of a window that does not answer.
void CopyAsItStands(HWND window, const Canvas& canvas) {
  RECT now{};
  RECT shown{};
  const RECT screen = Screen();
  if (!GetWindowRect(window, &now) || !IntersectRect(&shown, &now, &screen)) return;
  SteadyCopy(canvas, shown, {shown.left - now.left, shown.top - now.top});
}

// Copies the window, raised above every other, from the screen. A window that does not fit on the
// screen is moved so that each part of it shows in turn, repainted, then put back. The parts start
// where the window stands when its top-left corner is on the screen: if nothing covers that first
// part, it is copied as the program painted it, with no move and no repaint (a repaint of a
// verifier's window is a whole run of it). A window that does not answer (or stops answering on the
// way) is copied as it stands.
void CopyFromScreen(Subject& subject, const RECT& frame, const Canvas& canvas) {
  HWND window = subject.window;
  if (!subject.answers) return CopyAsItStands(window, canvas);
  const int width = canvas.width;
  const int height = canvas.height;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  constexpr UINT kMoveOnly = SWP_NOZORDER | SWP_NOREDRAW;
  const bool fits = frame.left >= 0 && frame.top >= 0 && frame.right <= screenWidth && frame.bottom <= screenHeight;
  const int originX = frame.left >= 0 && frame.left < screenWidth ? frame.left : 0;
  const int originY = frame.top >= 0 && frame.top < screenHeight ? frame.top : 0;
  const RECT firstPart{originX, originY, std::min(screenWidth, originX + width), std::min(screenHeight, originY + height)};
  const bool firstAsItStands = !fits && originX == frame.left && originY == frame.top && NothingAbove(window, firstPart);
  Move(subject, HWND_TOPMOST, 0, 0, SWP_NOMOVE);
  if (fits) {
    Repaint(subject);
    if (subject.answers) SteadyCopy(canvas, frame, {0, 0});
  } else {
    for (int top = 0; top < height && subject.answers; top = top ? top + screenHeight : screenHeight - originY) {
      for (int left = 0; left < width && subject.answers; left = left ? left + screenWidth : screenWidth - originX) {
        // The window's column `left` and row `top` at the screen's edge, the first part at its own place.
        const int x = left ? -left : originX;
        const int y = top ? -top : originY;
        if (firstAsItStands && left == 0 && top == 0) {
          AwaitPainted(subject);
        } else {
          // Not redrawn by the move: a paint begun then would be followed by the repaint's own.
          Move(subject, nullptr, x, y, kMoveOnly);
          Repaint(subject);
        }
        if (!subject.answers) break;
        const int fromX = std::max(x, 0);
        const int fromY = std::max(y, 0);
        const RECT part{fromX, fromY, fromX + std::min(screenWidth - fromX, width - left),
                        fromY + std::min(screenHeight - fromY, height - top)};
        SteadyCopy(canvas, part, {left, top});
      }
    }
  }
  // A window that stopped answering on the way: what the screen shows of it where it stands now.
  if (!subject.answers) CopyAsItStands(window, canvas);
  // Put back without a repaint, which for a verifier would be one more whole run before it can
  // close. Until the program paints again its place may show what the last part left there; the
  // survey pictures a window once.
  if (!fits) {
    Move(subject, nullptr, frame.left, frame.top, kMoveOnly);
  }
  Move(subject, HWND_NOTOPMOST, 0, 0, SWP_NOMOVE);
}

}  // namespace

std::optional<Picture> TakePicture(HWND window, std::wstring caption) {
  RECT frame{};
  if (!IsWindow(window) || !GetWindowRect(window, &frame)) return std::nullopt;
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  if (width <= 0 || height <= 0) return std::nullopt;

  ScreenDc screen;
  MemoryDc memory(screen.dc);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject bitmap(CreateDIBSection(screen.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!screen.dc || !memory.dc || !bitmap || !bits) return std::nullopt;
  SelectedObject selected(memory.dc, bitmap.get());
  const Canvas canvas{screen.dc, memory.dc, static_cast<std::uint32_t*>(bits), width, height};
  Subject subject{window};

  // The window draws itself afresh into the bitmap: nothing to repaint first (a repaint would cost
  // a whole run of the verifiers, which inspect everything again in every paint). A window just
  // shown (a dialog) may still be painting its controls: what the screen shows of it is copied
  // below once that is done, as two looks at a part not yet painted would agree.
  if (!Print(subject, canvas, info) || Blank(canvas, ClientPart(window, frame, canvas))) {
    // What the screen does not show of a window that does not answer stays black.
    canvas.Fill(0);
    if (Uncovered(window, frame)) {
      SteadyCopy(canvas, frame, {0, 0});
    } else {
      CopyFromScreen(subject, frame, canvas);
    }
  }
  GdiFlush();
  std::vector<std::uint8_t> rgb(canvas.Size() * 3);
  for (std::size_t i = 0, o = 0; i < canvas.Size(); ++i, o += 3) {
    const std::uint32_t pixel = canvas.bits[i];
    rgb[o] = static_cast<std::uint8_t>(pixel >> 16);
    rgb[o + 1] = static_cast<std::uint8_t>(pixel >> 8);
    rgb[o + 2] = static_cast<std::uint8_t>(pixel);
  }
  return Picture{std::move(caption), {}, width, height, std::move(rgb)};
}

}  // namespace kit::survey
