// Win32-only. The verifier's window procedure. A run happens inside the paint notification and
// processes no messages itself; runs never nest, even when a component's start-up code pumps
// messages during one. No exception leaves the procedure.
#include "verifier/report_window.h"

#include "common/callback_faults.h"
#include "common/fatal_report.h"
#include "common/kit_window.h"
#include "common/owners.h"
#include "common/system_error.h"
#include "common/twips.h"
#include "common/win32.h"
#include "verifier/gdi_surface.h"
#include "verifier/log_file.h"
#include "verifier/report_run.h"
#include "verifier/win32_verifier_os.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace kit::verifier {
namespace {

constexpr wchar_t kWindowClass[] = L"DiagKitVerifier";
constexpr wchar_t kCaption[] = L"Form1";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kExStyle = 0;
constexpr int kPointsPerInch = 72;

class VerifierWindow {
public:
  explicit VerifierWindow(const VerifierSettings& settings) : m_settings(settings) {}

  bool Create(int showCommand);
  int RunMessageLoop();

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  [[noreturn]] void Fail(std::uint32_t code, const std::wstring& description);

  const VerifierSettings& m_settings;
  HWND m_window = nullptr;
  SIZE m_outerSize{};
  UniqueFont m_font;
  bool m_failed = false;
  bool m_running = false;
  bool m_repaintPending = false;

  // WM_GETMINMAXINFO comes before WM_NCCREATE; the one window of the program answers it.
  static VerifierWindow* s_creating;
};

VerifierWindow* VerifierWindow::s_creating = nullptr;

HFONT CreateReportFont(const VerifierSettings& settings, int dpiY) {
  LOGFONTW font{};
  font.lfHeight = -static_cast<LONG>(std::lround(settings.fontPoints * dpiY / kPointsPerInch));
  font.lfWeight = settings.fontBold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  const std::size_t length = std::min(settings.fontFace.size(), std::size(font.lfFaceName) - 1);
  settings.fontFace.copy(font.lfFaceName, length);
  return CreateFontIndirectW(&font);
}

bool VerifierWindow::Create(int showCommand) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterKitWindowClass(instance, kWindowClass, &WindowProc)) return false;
  const int dpiX = ScreenDpiX();
  const int dpiY = ScreenDpiY();
  m_font.reset(CreateReportFont(m_settings, dpiY));
  if (!m_font) return false;

  // The client area, not the frame, sits at the fixed place with the fixed size.
  const int left = TwipsToPixels(kWindowLeft, dpiX);
  const int top = TwipsToPixels(kWindowTop, dpiY);
  RECT frame{left, top, left + TwipsToPixels(m_settings.clientWidth, dpiX), top + TwipsToPixels(m_settings.clientHeight, dpiY)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  m_outerSize = {frame.right - frame.left, frame.bottom - frame.top};

  s_creating = this;
  m_window = CreateWindowExW(kExStyle, kWindowClass, kCaption, kStyle, frame.left, frame.top, m_outerSize.cx,
                             m_outerSize.cy, nullptr, nullptr, instance, this);
  s_creating = nullptr;
  if (!m_window) return false;
  ShowWindow(m_window, showCommand);
  UpdateWindow(m_window);
  return true;
}

int VerifierWindow::RunMessageLoop() {
  MSG message{};
  BOOL got = FALSE;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}

void VerifierWindow::Fail(std::uint32_t code, const std::wstring& description) {
  // No further run while the report is on screen: paints from here on only validate.
  m_failed = true;
  ReportFatalError(code, description);
}

void VerifierWindow::Paint() {
  // Validate the update region, then draw the whole client area: a paint repeats the whole run,
  // not only the part that was uncovered.
  PAINTSTRUCT ps{};
  BeginPaint(m_window, &ps);
  EndPaint(m_window, &ps);
  if (m_failed) return;
  // A component's start-up code may show a message during a run, and its message loop delivers
  // paints: such a paint starts no second run inside the first (which would find its own log
  // open); the window is painted once more when the run ends.
  if (m_running) {
    m_repaintPending = true;
    return;
  }

  m_running = true;
  std::uint32_t code = 0;
  {
    // Form1 may be closed while a component's message is up; the surface then stops drawing and
    // the run still finishes its log.
    WindowDc dc(m_window);
    GdiSurface surface(m_window, dc.get(), m_font.get());
    Win32VerifierOs os;
    Win32LogFile log;
    code = RunVerification(m_settings, os, surface, log);
  }
  m_running = false;
  if (code != 0) Fail(code, DescribeError(code));
  if (m_repaintPending) {
    m_repaintPending = false;
    // Only a window that still exists: a null one would have the whole desktop repainted.
    if (m_window) InvalidateRect(m_window, nullptr, FALSE);
  }
}

LRESULT CALLBACK VerifierWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  VerifierWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<VerifierWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->m_window = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<VerifierWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (!self) self = s_creating;
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  // Exhausted memory and the runtime's own failures end in the same report (common/lean_runtime.cpp).
  return self->Handle(window, message, wParam, lParam);
}

LRESULT VerifierWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETMINMAXINFO: {
      // The designed size holds on screens smaller than the window, as the report needs it.
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMaxTrackSize.x = std::max<LONG>(info->ptMaxTrackSize.x, m_outerSize.cx);
      info->ptMaxTrackSize.y = std::max<LONG>(info->ptMaxTrackSize.y, m_outerSize.cy);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the run clears the window itself
    case WM_PAINT:
      Paint();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      m_window = nullptr;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int RunVerifierProgram(const VerifierSettings& settings, int showCommand) {
  RaiseCallbackFaults();
  VerifierWindow window(settings);
  if (!window.Create(showCommand)) {
    const DWORD code = GetLastError();
    ReportFatalError(code, DescribeError(code));
  }
  return window.RunMessageLoop();
}

}  // namespace kit::verifier
