// Win32-only. Pictures of another process's window, taken from the window itself: PrintWindow has
// it draw into a bitmap of ours, so whatever lies above it on the screen stays out of the report.
// Where the window cannot be printed (under Wine, a device context of ours means nothing in the
// other process, and the bitmap comes back untouched), it is copied from the screen instead: as it
// stands when nothing covers it (once two copies a moment apart agree), else raised above every
// other window and repainted first.
#include "survey/window_picture.h"

#include "common/owners.h"
#include "driver/driver.h"

#include <algorithm>
#include <vector>

namespace kit::survey {
namespace {

constexpr DWORD kRepaintWaitMs = 3000;
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

// A colour no window draws everywhere: a bitmap still all of it was not printed.
constexpr COLORREF kUntouched = RGB(1, 254, 3);

bool Untouched(const std::vector<std::uint8_t>& bgrx) {
  for (std::size_t i = 0; i < bgrx.size(); i += 4) {
    if (RGB(bgrx[i + 2], bgrx[i + 1], bgrx[i]) != kUntouched) return false;
  }
  return true;
}

// The bitmap's pixels, top row first, 4 bytes each (blue, green, red, unused).
std::vector<std::uint8_t> Pixels(HDC dc, HBITMAP bitmap, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint8_t> bgrx(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  if (!GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), bgrx.data(), &info, DIB_RGB_COLORS)) return {};
  return bgrx;
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

// Waits, within a bound, until the window's thread has painted what it had to: nothing in the
// window waits to be painted and the thread answers again (a thread answers between messages, not
// in the middle of a paint). True when the thread answers.
bool AwaitPainted(HWND window) {
  const driver::Deadline bound(kRepaintWaitMs);
  for (;;) {
    const bool painted = NothingToPaint(window);
    const bool answers = driver::Answers(window, bound.Left());
    if (!answers || bound.Passed() || (painted && NothingToPaint(window))) return answers;
    Sleep(kLookMs);
  }
}

// Invalidated, then painted by the window's own thread from its loop. Not asked to paint at once
// (RDW_UPDATENOW): to a window of another thread that sends a WM_PAINT of its own, which comes after
// the loop's paint with nothing left to paint, and a verifier runs its whole check on every WM_PAINT.
void Repaint(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  AwaitPainted(window);
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

// True when the whole window lies on the screen and nothing covers it.
bool Uncovered(HWND window, const RECT& frame) {
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT inside{};
  if (IsIconic(window) || !IntersectRect(&inside, &frame, &screen) || !EqualRect(&inside, &frame)) return false;
  return NothingAbove(window, frame);
}

// The bitmap a picture is put together in, of the window's size, and the screen it is copied from.
struct Canvas {
  HDC screen;
  HDC memory;
  HBITMAP bitmap;
  int width;
  int height;
};

// Copies `part` of the screen to `to` in the canvas once the display server has the program's last
// painting: two looks a moment apart that agree. Gives the canvas's pixels as the last look left them.
std::vector<std::uint8_t> SteadyCopy(const Canvas& canvas, const RECT& part, POINT to) {
  const auto look = [&] {
    {
      SelectedObject selected(canvas.memory, canvas.bitmap);
      BitBlt(canvas.memory, to.x, to.y, part.right - part.left, part.bottom - part.top, canvas.screen, part.left,
             part.top, SRCCOPY);
    }
    return Pixels(canvas.memory, canvas.bitmap, canvas.width, canvas.height);
  };
  std::vector<std::uint8_t> last = look();
  for (int i = 1; i < kMostLooks; ++i) {
    Sleep(kLookMs);
    std::vector<std::uint8_t> now = look();
    if (now == last) break;
    last = std::move(now);
  }
  return last;
}

// Copies the window, raised above every other, from the screen. A window that does not fit on the
// screen is moved so that each part of it shows in turn, repainted, then put back. The parts start
// where the window stands when its top-left corner is on the screen: if nothing covers that first
// part, it is copied as the program painted it, with no move and no repaint (a repaint of a
// verifier's window is a whole run of it).
std::vector<std::uint8_t> CopyFromScreen(HWND window, const RECT& frame, const Canvas& canvas) {
  const int width = canvas.width;
  const int height = canvas.height;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  constexpr UINT kMoveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  const bool fits = frame.left >= 0 && frame.top >= 0 && frame.right <= screenWidth && frame.bottom <= screenHeight;
  const int originX = frame.left >= 0 && frame.left < screenWidth ? frame.left : 0;
  const int originY = frame.top >= 0 && frame.top < screenHeight ? frame.top : 0;
  const RECT firstPart{originX, originY, std::min(screenWidth, originX + width), std::min(screenHeight, originY + height)};
  const bool firstAsItStands = !fits && originX == frame.left && originY == frame.top && NothingAbove(window, firstPart);
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kKeepPlace);
  std::vector<std::uint8_t> pixels;
  if (fits) {
    Repaint(window);
    pixels = SteadyCopy(canvas, frame, {0, 0});
  } else {
    for (int top = 0; top < height; top = top ? top + screenHeight : screenHeight - originY) {
      for (int left = 0; left < width; left = left ? left + screenWidth : screenWidth - originX) {
        // The window's column `left` and row `top` at the screen's edge, the first part at its own place.
        const int x = left ? -left : originX;
        const int y = top ? -top : originY;
        if (firstAsItStands && left == 0 && top == 0) {
          AwaitPainted(window);
        } else {
          // Not redrawn by the move: a paint begun then would be followed by the repaint's own.
          SetWindowPos(window, nullptr, x, y, 0, 0, kMoveOnly | SWP_NOREDRAW);
          Repaint(window);
        }
        const int fromX = std::max(x, 0);
        const int fromY = std::max(y, 0);
        const RECT part{fromX, fromY, fromX + std::min(screenWidth - fromX, width - left),
                        fromY + std::min(screenHeight - fromY, height - top)};
        pixels = SteadyCopy(canvas, part, {left, top});
      }
    }
    // Put back without a repaint, which for a verifier would be one more whole run before it can
    // close. Until the program paints again its place may show what the last part left there; the
    // survey pictures a window once.
    SetWindowPos(window, nullptr, frame.left, frame.top, 0, 0, kMoveOnly | SWP_NOREDRAW);
  }
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace);
  return pixels;
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
  UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.dc, width, height));
  if (!screen.dc || !memory.dc || !bitmap) return std::nullopt;
  const auto handle = static_cast<HBITMAP>(bitmap.get());
  {
    // GetDIBits below wants the bitmap out of any device context: selected for this scope only.
    SelectedObject selected(memory.dc, bitmap.get());
    UniqueGdiObject fill(CreateSolidBrush(kUntouched));
    const RECT all{0, 0, width, height};
    FillRect(memory.dc, &all, static_cast<HBRUSH>(fill.get()));
    // The window draws itself afresh into the bitmap: nothing to repaint first (a repaint would
    // cost a whole run of the verifiers, which inspect everything again in every paint). Asked only
    // of a window that answers: the call waits for the window's thread without a bound. A window
    // just shown (a dialog) may still be painting its controls: what the screen shows of it is
    // copied below once that is done, as two looks at a part not yet painted would agree.
    if (AwaitPainted(window)) PrintWindow(window, memory.dc, 0);
  }
  std::vector<std::uint8_t> bgrx = Pixels(memory.dc, handle, width, height);
  if (bgrx.empty() || Untouched(bgrx)) {
    const Canvas canvas{screen.dc, memory.dc, handle, width, height};
    bgrx = Uncovered(window, frame) ? SteadyCopy(canvas, frame, {0, 0}) : CopyFromScreen(window, frame, canvas);
  }
  if (bgrx.empty()) return std::nullopt;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (std::size_t i = 0, o = 0; i < bgrx.size(); i += 4, o += 3) {
    rgb[o] = bgrx[i + 2];
    rgb[o + 1] = bgrx[i + 1];
    rgb[o + 2] = bgrx[i];
  }
  return Picture{std::move(caption), {}, width, height, std::move(rgb)};
}

}  // namespace kit::survey
