// Win32-only. Shared steps of the end-to-end tests.
#include "tests/e2e/e2e_support.h"

#include "common/kit_window.h"
#include "common/twips.h"

#include <fstream>

namespace kit::e2e {

int PixelsX(int twips) { return TwipsToPixels(twips, ScreenDpiX()); }
int PixelsY(int twips) { return TwipsToPixels(twips, ScreenDpiY()); }

Started StartAndWaitForForm(const std::wstring& exe, const std::wstring& arguments) {
  Started started{driver::Program::Start(driver::BesideMe(exe), arguments)};
  EXPECT_TRUE(started.program.Started()) << driver::Narrow(started.program.Error());
  if (!started.program.Started()) return started;
  started.form = started.program.WaitForWindow(L"Form1");
  if (!started.form) {
    std::string seen;
    for (HWND window : driver::TopLevelWindows(started.program.Id())) {
      seen += " [" + driver::Narrow(driver::ClassName(window)) + " \"" + driver::Narrow(driver::WindowText(window)) + "\"]";
    }
    if (auto box = driver::WaitForMessageBox(started.program.Id(), 0)) seen += " message: " + driver::Narrow(box->text);
    ADD_FAILURE() << driver::Narrow(exe) << " showed no Form1 within the bound; running="
                  << started.program.Running() << "; windows:" << seen;
  }
  return started;
}

std::wstring NewJournal(const std::wstring& name) {
  const std::wstring path = driver::BesideMe(name + L".journal");
  DeleteFileW(path.c_str());
  SetEnvironmentVariableW(L"KIT_JOURNAL", path.c_str());
  return path;
}

std::vector<std::wstring> ReadJournal(const std::wstring& path) {
  std::vector<std::wstring> lines;
  std::wifstream in(driver::Narrow(path));
  for (std::wstring line; std::getline(in, line);) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
  for (const std::wstring& l : lines) {
    if (l == line) return true;
  }
  return false;
}

void ExpectNoMessageBox(const driver::Program& program, DWORD waitMs) {
  if (auto box = driver::WaitForMessageBox(program.Id(), waitMs)) {
    ADD_FAILURE() << "unexpected message box \"" << driver::Narrow(box->title) << "\": " << driver::Narrow(box->text);
  }
}

}  // namespace kit::e2e
