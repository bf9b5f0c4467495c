// Win32-only. How much a complete verification run of the 54-row table costs beyond the platform
// calls it cannot avoid. Runs the real run (drawing into an off-screen bitmap, logging into a
// scratch folder) and a floor loop that only loads, reads the module path, frees, reads the
// version resource, size and date of the same names; prints both medians and their ratio.
//   verifier_bench [iterations]
// BENCH_NULL_SURFACE or BENCH_NULL_LOG in the environment leave drawing or logging out of the run.
#include "common/win32.h"
#include "verifier/gdi_surface.h"
#include "verifier/log_file.h"
#include "verifier/report_run.h"
#include "verifier/win32_verifier_os.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace kit::verifier;

class NullSurface : public ReportSurface {
public:
  void Clear() override {}
  std::int32_t WindowWidth() override { return 16800; }
  std::int32_t PixelHeight() override { return 15; }
  std::int32_t LineHeight() override { return 195; }
  std::int32_t PrintText(std::int32_t, std::int32_t, std::wstring_view) override { return 0; }
  void DrawLine(std::int32_t, std::int32_t, std::int32_t, std::int32_t, int) override {}
};
class NullLog : public LogFile {
public:
  std::uint32_t Open(std::wstring_view) override { return 0; }
  std::uint32_t WriteLine(std::wstring_view) override { return 0; }
  std::uint32_t Close() override { return 0; }
};

double NowMs() {
  LARGE_INTEGER counter{}, frequency{};
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The unavoidable calls for one name, with nothing of the verifier's own.
unsigned FloorForName(const std::string& name) {
  unsigned found = 0;
  HMODULE module = LoadLibraryA(name.c_str());
  if (!module) return 0;
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  FreeLibrary(module);
  if (length == 0) return 0;
  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &unused);
  if (size != 0) {
    std::vector<BYTE> block(size);
    void* root = nullptr;
    UINT rootLength = 0;
    if (GetFileVersionInfoA(path, 0, size, block.data()) && VerQueryValueA(block.data(), "\\", &root, &rootLength)) ++found;
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExA(path, GetFileExInfoStandard, &data)) ++found;
  return found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int iterations = argc > 1 ? std::max(3, _wtoi(argv[1])) : 100;
  const VerifierSettings& settings = DravonSettings();

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"kitverifier_bench";
  CreateDirectoryW(folder.c_str(), nullptr);
  SetCurrentDirectoryW(folder.c_str());

  // A window that is never shown gives the run its width; the drawing goes to a bitmap.
  HWND window = CreateWindowExW(0, L"STATIC", L"Form1", WS_OVERLAPPEDWINDOW, 0, 0, 1120, 920, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 1120, 920);
  HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
  HFONT font = CreateFontW(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");

  std::vector<std::string> names;
  for (const std::wstring_view name : settings.components) names.emplace_back(name.begin(), name.end());

  std::vector<double> runs, floors;
  unsigned sink = 0;
  for (int i = 0; i < iterations; ++i) {
    double start = NowMs();
    {
      GdiSurface gdi(window, memory, font);
      NullSurface nullSurface;
      NullLog nullLog;
      Win32VerifierOs os;
      Win32LogFile file;
      ReportSurface& surface = _wgetenv(L"BENCH_NULL_SURFACE") ? static_cast<ReportSurface&>(nullSurface) : gdi;
      LogFile& log = _wgetenv(L"BENCH_NULL_LOG") ? static_cast<LogFile&>(nullLog) : file;
      if (RunVerification(settings, os, surface, log) != 0) {
        std::fprintf(stderr, "the run failed\n");
        return 1;
      }
    }
    runs.push_back(NowMs() - start);
    start = NowMs();
    for (const std::string& name : names) sink += FloorForName(name);
    floors.push_back(NowMs() - start);
  }

  const double run = Median(runs);
  const double floor = Median(floors);
  std::printf("iterations %d\nrun median %.3f ms\nfloor median %.3f ms\nratio %.3f\n(%u)\n", iterations, run, floor,
              run / floor, sink);

  SelectObject(memory, previousBitmap);
  DeleteObject(bitmap);
  DeleteObject(font);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  DestroyWindow(window);
  DeleteFileW((folder + L"\\DLLver.log").c_str());
  SetCurrentDirectoryW(temp);
  RemoveDirectoryW(folder.c_str());
  return 0;
}
