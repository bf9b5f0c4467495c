// Where a verification run draws and logs. The window and the log file implement these on
// Windows; the unit tests record what a run hands them. Positions and sizes are in twips from
// the top-left corner of the client area.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kit::verifier {

// System colour indexes of the separator lines.
inline constexpr int kColorButtonShadow = 16;  // COLOR_BTNSHADOW
inline constexpr int kColor3dHighlight = 20;   // COLOR_3DHIGHLIGHT

class ReportSurface {
public:
  virtual ~ReportSurface() = default;
  // Erases everything drawn.
  virtual void Clear() = 0;
  // Width of the whole window, frame included.
  virtual std::int32_t WindowWidth() = 0;
  // Height of one screen pixel and one line of the window's font.
  virtual std::int32_t PixelHeight() = 0;
  virtual std::int32_t LineHeight() = 0;
  // Draws `text` in the window's font with its top-left corner at (x, y); returns its width.
  virtual std::int32_t PrintText(std::int32_t x, std::int32_t y, std::wstring_view text) = 0;
  virtual void DrawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, int systemColor) = 0;
};

// The run's log file. Each call returns 0 or the system's error code.
class LogFile {
public:
  virtual ~LogFile() = default;
  // Creates the file, or empties it when it exists.
  virtual std::uint32_t Open(std::wstring_view name) = 0;
  // Writes one line and its CR LF.
  virtual std::uint32_t WriteLine(std::wstring_view line) = 0;
  virtual std::uint32_t Close() = 0;
};

}  // namespace kit::verifier
