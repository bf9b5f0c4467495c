// Win32-only. Twips per pixel is a whole number, as the report's layout counts in pixel heights.
#include "verifier/gdi_surface.h"

#include "common/owners.h"
#include "common/twips.h"

namespace kit::verifier {

GdiSurface::GdiSurface(HWND window, HDC dc, HFONT font) : m_window(window), m_dc(dc) {
  const int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
  const int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  if (dpiX > 0) m_twipsPerPixelX = kTwipsPerInch / dpiX;
  if (dpiY > 0) m_twipsPerPixelY = kTwipsPerInch / dpiY;
  m_previousFont = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  m_lineHeight = (metrics.tmHeight + metrics.tmExternalLeading) * m_twipsPerPixelY;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
}

GdiSurface::~GdiSurface() {
  if (m_previousFont && WindowExists()) SelectObject(m_dc, m_previousFont);
}

int GdiSurface::PixelX(std::int32_t twips) const { return twips / m_twipsPerPixelX; }
int GdiSurface::PixelY(std::int32_t twips) const { return twips / m_twipsPerPixelY; }

void GdiSurface::Clear() {
  if (!WindowExists()) return;
  RECT client{};
  GetClientRect(m_window, &client);
  FillRect(m_dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

std::int32_t GdiSurface::WindowWidth() {
  RECT frame{};
  GetWindowRect(m_window, &frame);
  return (frame.right - frame.left) * m_twipsPerPixelX;
}

std::int32_t GdiSurface::PrintText(std::int32_t x, std::int32_t y, std::wstring_view text) {
  if (!WindowExists()) return 0;
  const int length = static_cast<int>(text.size());
  SIZE extent{};
  GetTextExtentPoint32W(m_dc, text.data(), length, &extent);
  if (length > 0) TextOutW(m_dc, PixelX(x), PixelY(y), text.data(), length);
  return extent.cx * m_twipsPerPixelX;
}

void GdiSurface::DrawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, int systemColor) {
  if (!WindowExists()) return;
  UniqueGdiObject pen(CreatePen(PS_SOLID, 1, GetSysColor(systemColor)));
  SelectedObject selected(m_dc, pen.get());
  MoveToEx(m_dc, PixelX(x1), PixelY(y1), nullptr);
  LineTo(m_dc, PixelX(x2), PixelY(y2));
}

}  // namespace kit::verifier
