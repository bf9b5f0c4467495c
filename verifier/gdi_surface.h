// Win32-only. The report drawn on a device context: twips to pixels at the screen's resolution,
// text in the window's font at a position, one-pixel lines in system colours. Once the window is
// destroyed nothing is drawn: the system has taken its device context back and may have handed
// it to another window.
#pragma once

#include "common/win32.h"
#include "verifier/report_surface.h"

namespace kit::verifier {

// A window's device context for one scope (GetDC, ReleaseDC); not released again when the window
// was destroyed meanwhile, as the system did that with the window.
class WindowDc {
public:
  explicit WindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (m_dc && IsWindow(m_window)) ReleaseDC(m_window, m_dc);
  }
  HDC get() const { return m_dc; }

private:
  HWND m_window;
  HDC m_dc;
};

class GdiSurface : public ReportSurface {
public:
  // `window` gives the outer width and the client area to clear; drawing goes to `dc` with `font`.
  GdiSurface(HWND window, HDC dc, HFONT font);
  GdiSurface(const GdiSurface&) = delete;
  GdiSurface& operator=(const GdiSurface&) = delete;
  ~GdiSurface() override;

  void Clear() override;
  std::int32_t WindowWidth() override;
  std::int32_t PixelHeight() override { return m_twipsPerPixelY; }
  std::int32_t LineHeight() override { return m_lineHeight; }
  std::int32_t PrintText(std::int32_t x, std::int32_t y, std::wstring_view text) override;
  void DrawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, int systemColor) override;

private:
  int PixelX(std::int32_t twips) const;
  int PixelY(std::int32_t twips) const;
  bool WindowExists() const { return IsWindow(m_window) != FALSE; }

  HWND m_window;
  HDC m_dc;
  HGDIOBJ m_previousFont;
  std::int32_t m_twipsPerPixelX = 15;
  std::int32_t m_twipsPerPixelY = 15;
  std::int32_t m_lineHeight = 0;
};

}  // namespace kit::verifier
