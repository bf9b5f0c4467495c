// Win32-only. Both verifier programs under Wine, driven from outside: the log they leave in
// their current folder, the window's caption, size and place, the report as drawn on screen, a
// repaint that runs everything again, a paint during a run, a log file locked against writing,
// a machine without VELutil32.dll, a version.dll beside the program, the user's date pattern
// and folder names outside ASCII and outside the ANSI code page, and the close box.
#include "common/twips.h"
#include "driver/driver.h"
#include "tests/support/driver_support.h"
#include "verifier/settings.h"
#include "win_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwctype>

namespace kit::verifier::testing {
namespace {

using driver::Program;

const DWORD kRunMs = driver::Scaled(30000);

struct Variant {
  const wchar_t* exe;
  const VerifierSettings& settings;
};

const Variant kVariants[] = {{L"Dravon_DLLVer.exe", DravonSettings()}, {L"HalvardDLLVer.exe", HalvardSettings()}};

int ScreenDpi(int index) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, index);
  ReleaseDC(nullptr, screen);
  return dpi;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The report line of a component names it: its full path ends in "\" and the name (the loader
// may give another letter case), or it reads "Unable to locate " and the name.
bool NamesComponent(const std::string& line, std::wstring_view component) {
  const std::string name = Narrow(std::wstring(component));
  const std::string path = line.substr(0, line.find(','));
  if (path == "Unable to locate " + name) return true;
  std::string tail(1, '\\');
  tail += Lower(name);
  return Lower(path).size() > tail.size() && Lower(path).ends_with(tail);
}

struct Started {
  Program program;
  HWND form = nullptr;
};

Started Start(const std::wstring& exe, const std::wstring& folder) {
  Started run{Program::Start(exe, L"", folder)};
  EXPECT_TRUE(run.program.Started()) << Narrow(run.program.Error());
  if (run.program.Started()) run.form = run.program.WaitForWindow(L"Form1", kRunMs);
  EXPECT_NE(run.form, nullptr) << "no Form1 from " << Narrow(exe);
  return run;
}

// The log once its run has ended: the window shows before the run inside its first paint is
// over, so a read waits for the closing MDAC line and its line end.
std::vector<std::string> WaitForLog(const std::wstring& path) {
  driver::WaitUntil([&] {
    const std::vector<std::string> lines = ReadLines(path);
    return !lines.empty() && lines.back().starts_with("MDAC,");  // a line without CR LF reads "<no CR LF>"
  }, kRunMs);
  return ReadLines(path);
}

void CloseAndExpectEnd(Started& run) {
  driver::CloseWithCloseBox(run.form);
  DWORD exitCode = 1234;
  EXPECT_TRUE(run.program.WaitForExit(driver::Scaled(10000), &exitCode));
  EXPECT_EQ(exitCode, 0u);
}

TEST(VerifierPrograms, LogInTheCurrentFolderHoldsTheWholeReport) {
  for (const Variant& variant : kVariants) {
    SCOPED_TRACE(Narrow(variant.exe));
    ScratchFolder folder(L"log");
    Started run = Start(driver::BesideMe(variant.exe), folder.Path());
    ASSERT_TRUE(run.form);
    const std::vector<std::string> lines = WaitForLog(folder.File(std::wstring(variant.settings.logFileName)));
    const std::string log = ReadAll(folder.File(std::wstring(variant.settings.logFileName)));
    const std::size_t rows = variant.settings.components.size();
    ASSERT_EQ(lines.size(), rows + 4) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), static_cast<long>(rows + 4)) << "a bare LF somewhere";
    EXPECT_TRUE(lines[0].starts_with("File version verification ")) << lines[0];
    EXPECT_TRUE(lines[0].ends_with(" on Unknown")) << lines[0];
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "File,Reg_Info,Date,Size,Version");
    for (std::size_t i = 0; i < rows; ++i) {
      const std::string& line = lines[3 + i];
      EXPECT_TRUE(NamesComponent(line, variant.settings.components[i])) << "row " << i + 1 << ": " << line;
      if (line.starts_with("Unable to locate ")) {
        EXPECT_TRUE(line.ends_with(",,na,na,")) << line;
      } else {
        EXPECT_NE(line.find(",n/a,"), std::string::npos) << line;
      }
    }
    EXPECT_EQ(lines.back(), "MDAC,N/A");
    CloseAndExpectEnd(run);
  }
}

TEST(VerifierPrograms, DravonRepeatsAndSystemLibrariesAsThisMachineHasThem) {
  ScratchFolder folder(L"dravon");
  Started run = Start(driver::BesideMe(L"Dravon_DLLVer.exe"), folder.Path());
  ASSERT_TRUE(run.form);
  const std::vector<std::string> lines = WaitForLog(folder.File(L"DLLver.log"));
  ASSERT_EQ(lines.size(), 58u);
  // Rows 46, 47, 53, 54 repeat rows 6, 5, 4, 1: the same lines again.
  EXPECT_EQ(lines[3 + 45], lines[3 + 5]);
  EXPECT_EQ(lines[3 + 46], lines[3 + 4]);
  EXPECT_EQ(lines[3 + 52], lines[3 + 3]);
  EXPECT_EQ(lines[3 + 53], lines[3 + 0]);
  // Wine provides advapi32 with a version resource: every field is filled.
  const std::string advapi = lines[3 + 44];
  EXPECT_NE(Lower(advapi).find("\\advapi32.dll,n/a,"), std::string::npos) << advapi;
  EXPECT_EQ(std::count(advapi.begin(), advapi.end(), ','), 4) << advapi;
  EXPECT_NE(advapi.find(" bytes,"), std::string::npos) << advapi;
  EXPECT_EQ(advapi.find(",na"), std::string::npos) << advapi;
  EXPECT_EQ(lines[3 + 24], "Unable to locate VEL_Intel_Win32.dll,,na,na,");
  CloseAndExpectEnd(run);
}

TEST(VerifierPrograms, MdacLineShowsTheRegisteredVersion) {
  ScratchKey key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\DataAccess");
  key.SetText(L"", L"FullInstallVer", L"2.81.1117.0");
  ScratchFolder folder(L"mdac");
  Started run = Start(driver::BesideMe(L"HalvardDLLVer.exe"), folder.Path());
  ASSERT_TRUE(run.form);
  const std::vector<std::string> lines = WaitForLog(folder.File(L"Halvard_DLLver.log"));
  ASSERT_EQ(lines.size(), 40u);
  EXPECT_EQ(lines.back(), "MDAC,2.81.1117.0");
  CloseAndExpectEnd(run);
}

// Pixels of a screen rectangle, as 0x00RRGGBB, row by row.
struct Pixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> data;
  std::uint32_t At(int x, int y) const { return data[static_cast<std::size_t>(y) * width + x]; }
};

Pixels Capture(HDC source, int x, int y, int width, int height) {
  Pixels pixels{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
  GdiFlush();
  const auto* rows = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < pixels.data.size(); ++i) pixels.data[i] = rows[i] & 0xFFFFFF;
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return pixels;
}

std::uint32_t Rgb(COLORREF color) { return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color); }

// `text` as the report draws it: in `font`, the button text colour on the window's face colour.
Pixels Render(HFONT font, const std::wstring& text, SIZE& extent) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ previousFont = SelectObject(memory, font);
  GetTextExtentPoint32W(memory, text.c_str(), static_cast<int>(text.size()), &extent);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, extent.cx, extent.cy);
  HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
  RECT all{0, 0, extent.cx, extent.cy};
  FillRect(memory, &all, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(memory, TRANSPARENT);
  SetTextColor(memory, GetSysColor(COLOR_BTNTEXT));
  TextOutW(memory, 0, 0, text.c_str(), static_cast<int>(text.size()));
  const Pixels pixels = Capture(memory, 0, 0, extent.cx, extent.cy);
  SelectObject(memory, previousBitmap);
  SelectObject(memory, previousFont);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

bool SamePixels(const Pixels& screen, int left, int top, const Pixels& text) {
  for (int y = 0; y < text.height; ++y) {
    for (int x = 0; x < text.width; ++x) {
      if (screen.At(left + x, top + y) != text.At(x, y)) return false;
    }
  }
  return true;
}

// The report as the screen shows it (Wine gives no other process a window's font): the shadow
// line on the fourth text line's top pixel row, the highlight line below it, the face colour up
// to the first component row, and the headers at their columns in the 8-point bold font.
void ExpectReportAsDrawn(const Variant& variant, HWND form) {
  const int dpiY = ScreenDpi(LOGPIXELSY);
  auto makeFont = [&](int weight) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(8, dpiY, 72);
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    variant.settings.fontFace.copy(font.lfFaceName, variant.settings.fontFace.size());
    return UniqueFont(CreateFontIndirectW(&font));
  };
  const UniqueFont bold = makeFont(FW_BOLD);
  const UniqueFont normal = makeFont(FW_NORMAL);
  HDC screen = GetDC(nullptr);
  HGDIOBJ previous = SelectObject(screen, bold.get());
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  SelectObject(screen, previous);
  const int line = metrics.tmHeight + metrics.tmExternalLeading;  // pixels

  POINT origin{0, 0};
  ClientToScreen(form, &origin);
  const SIZE client = driver::ClientSize(form);
  const int width = std::min<int>(client.cx, GetSystemMetrics(SM_CXSCREEN) - origin.x);
  const Pixels shown = Capture(screen, origin.x, origin.y, width, 4 * line);
  ReleaseDC(nullptr, screen);

  const std::uint32_t shadow = Rgb(GetSysColor(COLOR_BTNSHADOW));
  const std::uint32_t highlight = Rgb(GetSysColor(COLOR_3DHIGHLIGHT));
  const std::uint32_t face = Rgb(GetSysColor(COLOR_BTNFACE));
  auto rowIs = [&](int y, std::uint32_t colour) {
    for (int x = 0; x < width; ++x) {
      if (shown.At(x, y) != colour) return false;
    }
    return true;
  };
  EXPECT_TRUE(rowIs(3 * line, shadow)) << "shadow line at pixel row " << 3 * line;
  EXPECT_FALSE(rowIs(3 * line - 1, shadow));
  EXPECT_TRUE(rowIs(3 * line + 1, highlight));
  for (int y = 3 * line + 2; y < 3 * line + 5; ++y) EXPECT_TRUE(rowIs(y, face)) << "row " << y;

  // Each header at the window's outer width times its column's factor.
  RECT frame{};
  GetWindowRect(form, &frame);
  const int twipsPerPixel = kTwipsPerInch / ScreenDpi(LOGPIXELSX);
  const int outerTwips = (frame.right - frame.left) * twipsPerPixel;
  const struct {
    const wchar_t* text;
    double factor;
  } headers[] = {{L"File", 0}, {L"Reg_Info", 0.4}, {L"Date", 0.5}};
  for (const auto& header : headers) {
    SCOPED_TRACE(Narrow(header.text));
    SIZE extent{};
    const Pixels text = Render(bold.get(), header.text, extent);
    const int x = static_cast<int>(std::nearbyint(outerTwips * header.factor)) / twipsPerPixel;
    ASSERT_LE(x + extent.cx, width);
    EXPECT_TRUE(SamePixels(shown, x, 2 * line, text)) << "not at x " << x;
    SIZE plainExtent{};
    EXPECT_FALSE(SamePixels(shown, x, 2 * line, Render(normal.get(), header.text, plainExtent))) << "drawn in normal weight";
  }
}

TEST(VerifierPrograms, WindowCaptionClientSizePlaceAndTheReportAsDrawn) {
  const int dpiX = ScreenDpi(LOGPIXELSX);
  const int dpiY = ScreenDpi(LOGPIXELSY);
  for (const Variant& variant : kVariants) {
    SCOPED_TRACE(Narrow(variant.exe));
    ScratchFolder folder(L"window");
    Started run = Start(driver::BesideMe(variant.exe), folder.Path());
    ASSERT_TRUE(run.form);
    EXPECT_EQ(driver::WindowText(run.form), L"Form1");
    const SIZE client = driver::ClientSize(run.form);
    EXPECT_EQ(client.cx, TwipsToPixels(variant.settings.clientWidth, dpiX));
    EXPECT_EQ(client.cy, TwipsToPixels(variant.settings.clientHeight, dpiY));
    POINT origin{0, 0};
    ClientToScreen(run.form, &origin);
    EXPECT_EQ(origin.x, TwipsToPixels(kWindowLeft, dpiX));
    EXPECT_EQ(origin.y, TwipsToPixels(kWindowTop, dpiY));
    const LONG style = GetWindowLongW(run.form, GWL_STYLE);
    EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW) << std::hex << style;
    EXPECT_EQ(GetMenu(run.form), nullptr);
    EXPECT_TRUE(driver::ListItems(run.form).empty()) << "the verifier's window has no items";
    EXPECT_FALSE(driver::WaitForMessageBox(run.program.Id(), 200).has_value());
    ASSERT_EQ(WaitForLog(folder.File(std::wstring(variant.settings.logFileName))).back(), "MDAC,N/A");
    ExpectReportAsDrawn(variant, run.form);
    CloseAndExpectEnd(run);
  }
}

TEST(VerifierPrograms, RepaintRunsEverythingAgainAndRewritesTheLog) {
  ScratchFolder folder(L"repaint");
  const std::wstring journal = folder.File(L"velutil32.journal");
  SetEnvironmentVariableW(L"VELUTIL32_JOURNAL", journal.c_str());
  Started run = Start(driver::BesideMe(L"HalvardDLLVer.exe"), folder.Path());
  SetEnvironmentVariableW(L"VELUTIL32_JOURNAL", nullptr);
  ASSERT_TRUE(run.form);
  const std::wstring log = folder.File(L"Halvard_DLLver.log");
  ASSERT_EQ(WaitForLog(log).size(), 40u);
  const std::size_t searchesPerRun = ReadLines(journal).size();
  EXPECT_GT(searchesPerRun, 0u);
  ASSERT_TRUE(DeleteFileW(log.c_str())) << "the log is closed between runs";
  folder.Write(L"Halvard_DLLver.log", std::string(100000, 'x'));

  RedrawWindow(run.form, nullptr, nullptr, RDW_INVALIDATE);
  EXPECT_TRUE(driver::WaitUntil([&] { return ReadLines(journal).size() == 2 * searchesPerRun; }, kRunMs))
      << "searches seen: " << ReadLines(journal).size();
  ASSERT_TRUE(driver::WaitUntil([&] { return ReadLines(log).size() == 40 && ReadAll(log).ends_with("\r\n"); }, kRunMs));
  EXPECT_EQ(ReadLines(log).size(), 40u) << "the old content is gone";
  EXPECT_EQ(ReadLines(log).back(), "MDAC,N/A");
  CloseAndExpectEnd(run);
}

TEST(VerifierPrograms, LockedLogEndsTheProgramWithAnErrorBeforeAnythingIsInspected) {
  ScratchFolder folder(L"locked");
  const std::wstring journal = folder.File(L"velutil32.journal");
  const std::wstring logPath = folder.File(L"DLLver.log");
  HANDLE lock = CreateFileW(logPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  SetEnvironmentVariableW(L"VELUTIL32_JOURNAL", journal.c_str());
  Program program = Program::Start(driver::BesideMe(L"Dravon_DLLVer.exe"), L"", folder.Path());
  SetEnvironmentVariableW(L"VELUTIL32_JOURNAL", nullptr);
  ASSERT_TRUE(program.Started());
  const auto box = driver::WaitForMessageBox(program.Id(), kRunMs);
  ASSERT_TRUE(box.has_value()) << "no error message";
  EXPECT_NE(box->text.find(L"32"), std::wstring::npos) << Narrow(box->text);
  EXPECT_GT(box->text.size(), 10u) << "number and description: " << Narrow(box->text);
  EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
  EXPECT_TRUE(ReadAll(journal).empty()) << "a row was inspected before the log was open";
  ASSERT_TRUE(driver::PressOk(*box));
  DWORD exitCode = 0;
  EXPECT_TRUE(program.WaitForExit(driver::Scaled(10000), &exitCode));
  EXPECT_NE(exitCode, 0u);
  CloseHandle(lock);
  EXPECT_EQ(ReadAll(logPath), "") << "the locked file was not touched";
}

TEST(VerifierPrograms, WithoutVelutil32EveryMissingRowStillReportsUnableToLocate) {
  // A copy of the program in a folder of its own: the loader finds no VELutil32.dll.
  ScratchFolder folder(L"noutil");
  const std::wstring copy = folder.File(L"HalvardDLLVer.exe");
  ASSERT_TRUE(CopyFileW(driver::BesideMe(L"HalvardDLLVer.exe").c_str(), copy.c_str(), FALSE));
  Started run = Start(copy, folder.Path());
  ASSERT_TRUE(run.form);
  const std::vector<std::string> lines = WaitForLog(folder.File(L"Halvard_DLLver.log"));
  ASSERT_EQ(lines.size(), 40u);
  EXPECT_EQ(lines[3], "Unable to locate atl71.dll,,na,na,");
  EXPECT_EQ(lines[38], "Unable to locate xceedcry.dll,,na,na,");
  EXPECT_EQ(lines.back(), "MDAC,N/A");
  EXPECT_FALSE(driver::WaitForMessageBox(run.program.Id(), 200).has_value());
  CloseAndExpectEnd(run);
}

TEST(VerifierPrograms, VersionLibraryBesideTheProgramIsNeverLoaded) {
  // A library named version.dll beside a copy of the program, and Wine told to prefer a library
  // found there as Windows does for every library that is not one of its known DLLs.
  ScratchFolder folder(L"planted");
  const std::wstring copy = folder.File(L"Dravon_DLLVer.exe");
  ASSERT_TRUE(CopyFileW(driver::BesideMe(L"Dravon_DLLVer.exe").c_str(), copy.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(driver::BesideMe(L"verifier_fixture_plain.dll").c_str(), folder.File(L"version.dll").c_str(), FALSE));
  wchar_t overrides[1024] = {};
  GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 1024);
  SetEnvironmentVariableW(L"WINEDLLOVERRIDES", (std::wstring(overrides) + L";version=n,b").c_str());
  Started run = Start(copy, folder.Path());
  SetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides[0] ? overrides : nullptr);
  ASSERT_TRUE(run.form);
  const std::vector<std::string> lines = WaitForLog(folder.File(L"DLLver.log"));
  ASSERT_EQ(lines.size(), 58u);
  const std::string advapi = lines[3 + 44];
  EXPECT_FALSE(advapi.ends_with(",")) << "the system's version library read its version: " << advapi;
  CloseAndExpectEnd(run);
}

// The user's short date pattern for one scope, restored afterwards.
class ShortDatePattern {
public:
  explicit ShortDatePattern(const wchar_t* pattern) {
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, m_previous, 80);
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, pattern);
  }
  ~ShortDatePattern() { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, m_previous); }

private:
  wchar_t m_previous[80] = {};
};

std::string DayMonthYear(const SYSTEMTIME& time) {
  char text[16];
  std::snprintf(text, sizeof(text), "%02u.%02u.%04u", time.wDay, time.wMonth, time.wYear);
  return text;
}

std::string Ansi(const std::wstring& text) {
  std::string bytes(text.size() * 2 + 1, '\0');
  const int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                                         static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return bytes;
}

std::wstring FromAnsi(const std::string& bytes) {
  std::wstring text(bytes.size(), L'\0');
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.c_str(), static_cast<int>(bytes.size()), text.data(),
                                         static_cast<int>(text.size()));
  text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return text;
}

TEST(VerifierPrograms, UsersShortDatePatternAndFolderNamesOutsideAscii) {
  ShortDatePattern pattern(L"dd.MM.yyyy");
  // "Prüfung": the ü is one byte of the ANSI code page in the log. "Δοκιμή": the English
  // prefix's code page has none of its letters, so the folder's ANSI name names no file; the
  // log still shows that name, and the date, size and version of the file the loader found.
  const struct {
    const wchar_t* folder;
    bool inCodePage;
  } cases[] = {{L"Pr\u00FCfung", true}, {L"\u0394\u03BF\u03BA\u03B9\u03BC\u03AE", false}};
  for (const auto& test : cases) {
    SCOPED_TRACE(test.inCodePage ? "folder name in the ANSI code page" : "folder name outside the ANSI code page");
    ScratchFolder folder(test.folder);
    const std::wstring copy = folder.File(L"HalvardDLLVer.exe");
    const std::wstring component = folder.File(L"atl71.dll");
    ASSERT_TRUE(CopyFileW(driver::BesideMe(L"HalvardDLLVer.exe").c_str(), copy.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(driver::BesideMe(L"verifier_fixture_versioned.dll").c_str(), component.c_str(), FALSE));
    const std::string path = Ansi(component);
    ASSERT_EQ(FromAnsi(path) == component, test.inCodePage) << "the prefix's code page does not suit this case: " << path;
    Started run = Start(copy, folder.Path());
    ASSERT_TRUE(run.form);
    const std::vector<std::string> lines = WaitForLog(folder.File(L"Halvard_DLLver.log"));
    ASSERT_EQ(lines.size(), 40u);

    SYSTEMTIME today{};
    GetLocalTime(&today);
    EXPECT_EQ(lines[0], "File version verification " + DayMonthYear(today) + " on Unknown");

    WIN32_FILE_ATTRIBUTE_DATA facts{};
    ASSERT_TRUE(GetFileAttributesExW(component.c_str(), GetFileExInfoStandard, &facts));
    SYSTEMTIME utc{};
    SYSTEMTIME written{};
    FileTimeToSystemTime(&facts.ftLastWriteTime, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &written);
    EXPECT_EQ(lines[3], path + ",n/a," + DayMonthYear(written) + "," + std::to_string(facts.nFileSizeLow) + " bytes,6.0.8169.0");
    CloseAndExpectEnd(run);
  }
}

// The message boxes the process shows now.
std::vector<HWND> MessageBoxes(DWORD processId) {
  std::vector<HWND> boxes;
  for (HWND window : driver::TopLevelWindows(processId)) {
    if (IsWindowVisible(window) && driver::ClassName(window) == L"#32770") boxes.push_back(window);
  }
  return boxes;
}

TEST(VerifierPrograms, PaintDuringARunWaitsForItAndRepaintsOnce) {
  // A component whose start-up code shows a message: while it is open the window is uncovered,
  // and the message's loop delivers the paint.
  ScratchFolder folder(L"nested");
  const std::wstring copy = folder.File(L"HalvardDLLVer.exe");
  ASSERT_TRUE(CopyFileW(driver::BesideMe(L"HalvardDLLVer.exe").c_str(), copy.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(driver::BesideMe(L"verifier_fixture_startup.dll").c_str(), folder.File(L"atl71.dll").c_str(), FALSE));
  Program program = Program::Start(copy, L"", folder.Path());
  ASSERT_TRUE(program.Started());
  const auto first = driver::WaitForMessageBox(program.Id(), kRunMs);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->text, L"component start-up");
  const HWND form = program.WaitForWindow(L"Form1", kRunMs);
  ASSERT_NE(form, nullptr);
  RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE);
  Sleep(1000);
  EXPECT_EQ(MessageBoxes(program.Id()).size(), 1u) << "a second run inside the first finds its log open";
  ASSERT_TRUE(driver::PressOk(*first));

  // The first run ends, then the window is painted once more: one more run, one more message.
  const std::wstring log = folder.File(L"Halvard_DLLver.log");
  std::optional<driver::MessageBoxInfo> again;
  EXPECT_TRUE(driver::WaitUntil([&] {
    const std::vector<HWND> boxes = MessageBoxes(program.Id());
    return boxes.size() == 1 && boxes[0] != first->window;
  }, kRunMs)) << "no run after the first";
  again = driver::WaitForMessageBox(program.Id(), kRunMs);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->text, L"component start-up");
  ASSERT_TRUE(driver::PressOk(*again));
  const std::vector<std::string> lines = WaitForLog(log);
  ASSERT_EQ(lines.size(), 40u);
  EXPECT_NE(lines[3].find("\\atl71.dll,n/a,"), std::string::npos) << lines[3];
  Sleep(1000);
  EXPECT_TRUE(MessageBoxes(program.Id()).empty()) << "one repaint, not a loop";
  Started run{std::move(program), form};
  CloseAndExpectEnd(run);
}

}  // namespace
}  // namespace kit::verifier::testing
