// The run's order of steps, the column arithmetic and the log format.
#include "verifier/report_run.h"

#include "common/number_text.h"
#include "verifier/dll_version.h"
#include "verifier/mdac_line.h"

#include <cmath>
#include <memory>

namespace kit::verifier {
namespace {

constexpr auto kColumnFactors = std::to_array({0.4, 0.5, 0.65, 0.85});
static_assert(kColumnFactors.size() == std::tuple_size_v<decltype(ColumnPositions(0))>);

std::int32_t RoundHalfEven(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;
  double rounded = below;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) rounded = below + 1;
  return static_cast<std::int32_t>(rounded);
}

// The window's current text position: printing moves x to the end of the text, a line break
// returns x to 0 and moves y down one line.
class TextCursor {
public:
  explicit TextCursor(ReportSurface& surface) : m_surface(surface), m_lineHeight(surface.LineHeight()) {}

  void Print(std::wstring_view text, bool lineBreak) {
    m_x += m_surface.PrintText(m_x, m_y, text);
    if (lineBreak) {
      m_x = 0;
      m_y += m_lineHeight;
    }
  }
  void SetX(std::int32_t x) { m_x = x; }
  std::int32_t Y() const { return m_y; }
  void MoveDown(std::int32_t dy) { m_y += dy; }

private:
  ReportSurface& m_surface;
  std::int32_t m_lineHeight;
  std::int32_t m_x = 0;
  std::int32_t m_y = 0;
};

}  // namespace

std::array<std::int32_t, 4> ColumnPositions(std::int32_t windowWidth) {
  std::array<std::int32_t, 4> columns{};
  for (std::size_t i = 0; i < columns.size(); ++i) columns[i] = RoundHalfEven(windowWidth * kColumnFactors[i]);
  return columns;
}

std::wstring ReportTitle(std::wstring_view shortDate, std::wstring_view osName) {
  return L"File version verification " + std::wstring(shortDate) + L" on " + std::wstring(osName);
}

std::wstring SizeText(std::int32_t size) { return kit::Decimal(size) + L" bytes"; }

std::wstring LogLine(const ComponentCells& cells) {
  return cells.path + L"," + cells.registration + L"," + (cells.date.empty() ? L"na" : cells.date) + L"," +
         (cells.size.empty() ? L"na" : cells.size) + L"," + cells.version;
}

std::uint32_t RunVerification(const VerifierSettings& settings, VerifierOs& os, ReportSurface& surface, LogFile& log) {
  auto inspector = std::make_unique<CDLLVersion>(os);
  surface.Clear();
  TextCursor cursor(surface);
  const std::int32_t width = surface.WindowWidth();
  const std::array<std::int32_t, 4> columns = ColumnPositions(width);
  if (const std::uint32_t code = log.Open(settings.logFileName)) return code;

  cursor.Print(ReportTitle(os.ShortDate(os.Today()), inspector->GetOSVersion()), true);
  cursor.Print(L"", true);

  cursor.Print(L"File", false);
  const wchar_t* const headers[] = {L"Reg_Info", L"Date", L"Size"};
  for (std::size_t i = 0; i < 3; ++i) {
    cursor.SetX(columns[i]);
    cursor.Print(headers[i], false);
  }
  cursor.SetX(columns[3]);
  cursor.Print(L"Version", true);

  const std::int32_t pixel = surface.PixelHeight();
  surface.DrawLine(0, cursor.Y(), width, cursor.Y(), kColorButtonShadow);
  cursor.MoveDown(pixel);
  surface.DrawLine(0, cursor.Y(), width, cursor.Y(), kColor3dHighlight);
  cursor.SetX(0);
  cursor.MoveDown(4 * pixel);

  // The log's title reads the date and the Windows name again.
  if (const std::uint32_t code = log.WriteLine(ReportTitle(os.ShortDate(os.Today()), inspector->GetOSVersion()))) {
    return code;
  }
  if (const std::uint32_t code = log.WriteLine(L"")) return code;
  if (const std::uint32_t code = log.WriteLine(L"File,Reg_Info,Date,Size,Version")) return code;

  for (const std::wstring_view component : settings.components) {
    std::wstring module(component);
    std::wstring typeLibId;
    std::wstring typeLibVersion;
    inspector->LoadFileInfo(module, typeLibId, typeLibVersion);

    ComponentCells cells{inspector->FilePathName(), inspector->FileRegistrationInfo(), {}, {},
                         inspector->FileVersion()};
    if (inspector->FileDate() != 0) cells.date = os.ShortDate(inspector->FileDate());
    if (inspector->FileSize() != 0) cells.size = SizeText(inspector->FileSize());

    cursor.Print(cells.path, false);
    cursor.SetX(columns[0]);
    cursor.Print(cells.registration, false);
    cursor.SetX(columns[1]);
    if (!cells.date.empty()) cursor.Print(cells.date, false);
    cursor.SetX(columns[2]);
    if (!cells.size.empty()) cursor.Print(cells.size, false);
    cursor.SetX(columns[3]);
    cursor.Print(cells.version, true);
    if (const std::uint32_t code = log.WriteLine(LogLine(cells))) return code;
  }
  inspector.reset();

  const std::wstring mdac = GetMdacVersion(os);
  cursor.Print(L"MDAC", false);
  cursor.SetX(columns[0]);
  cursor.Print(mdac, false);
  if (const std::uint32_t code = log.WriteLine(L"MDAC," + mdac)) return code;
  return log.Close();
}

}  // namespace kit::verifier
