// Win32-only. What the end-to-end tests share: starting a program of the build, the screen's
// resolution, journals written by test programs.
#pragma once

#include "driver/driver.h"
#include "tests/support/driver_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kit::e2e {

// Twips to pixels at this screen's resolution, as the programs compute them.
int PixelsX(int twips);
int PixelsY(int twips);

// Starts a program of the build (a name beside the test program) and waits for its `Form1`.
// Fails the test, with what was seen, when the program does not start or shows no window.
struct Started {
  driver::Program program;
  HWND form = nullptr;
};
Started StartAndWaitForForm(const std::wstring& exe, const std::wstring& arguments = L"");

// A fresh, empty journal file for a test program; KIT_JOURNAL names it for programs started next.
std::wstring NewJournal(const std::wstring& name);
std::vector<std::wstring> ReadJournal(const std::wstring& path);
bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line);

// Fails the test when the program shows a message box within the bound.
void ExpectNoMessageBox(const driver::Program& program, DWORD waitMs = 300);

}  // namespace kit::e2e
