// Win32-only. Shared steps of the service probes' end-to-end tests.
#include "tests/services/services_support.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace kit::services_test {

HRESULT CallRegistration(const std::wstring& library, bool registering) {
  return registering ? driver::RegisterServer(library) : driver::UnregisterServer(library);
}

RegisteredStandIn::RegisteredStandIn(std::wstring dll, std::wstring restore)
    : m_path(driver::BesideMe(dll)), m_restore(std::move(restore)) {
  m_result = CallRegistration(m_path, true);
  EXPECT_EQ(m_result, S_OK) << "registering " << driver::Narrow(m_path);
}

RegisteredStandIn::~RegisteredStandIn() {
  EXPECT_EQ(CallRegistration(m_path, false), S_OK) << "unregistering " << driver::Narrow(m_path);
  if (!m_restore.empty()) {
    EXPECT_EQ(CallRegistration(m_restore, true), S_OK) << driver::Narrow(m_restore);
  }
}

std::wstring WineAdoLibrary() {
  wchar_t path[MAX_PATH] = {};
  ExpandEnvironmentStringsW(L"%CommonProgramFiles%\\System\\ADO\\msado15.dll", path, MAX_PATH);
  return path;
}

StandInMode::StandInMode(const wchar_t* mode) { SetEnvironmentVariableW(L"KIT_STANDIN_MODE", *mode ? mode : nullptr); }
StandInMode::~StandInMode() { SetEnvironmentVariableW(L"KIT_STANDIN_MODE", nullptr); }

std::wstring ScratchFolder(const std::wstring& name) {
  const std::wstring folder = driver::BesideMe(name);
  // Leftovers of an earlier run go first, read-only and hidden ones included.
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring entry = folder + L"\\" + found.cFileName;
      if (found.cFileName == std::wstring(L".") || found.cFileName == std::wstring(L"..")) continue;
      SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryW(entry.c_str());
      else DeleteFileW(entry.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::vector<std::wstring> ReadUtf8Journal(const std::wstring& path) {
  std::ifstream in(driver::Narrow(path), std::ios::binary);
  std::vector<std::wstring> lines;
  for (std::string line; std::getline(in, line);) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), size);
    lines.push_back(wide);
  }
  return lines;
}

std::string Lines(const std::vector<std::wstring>& lines) {
  std::string text;
  for (const auto& line : lines) text += "\n  " + driver::Narrow(line);
  return text;
}

e2e::Started StartIn(const std::wstring& exe, const std::wstring& folder) {
  e2e::Started started{driver::Program::Start(driver::BesideMe(exe), L"", folder)};
  EXPECT_TRUE(started.program.Started()) << driver::Narrow(started.program.Error());
  if (started.program.Started()) started.form = started.program.WaitForWindow(L"Form1");
  EXPECT_TRUE(started.form) << driver::Narrow(exe) << " showed no Form1";
  return started;
}

std::optional<driver::MessageBoxInfo> ClickForMessage(const e2e::Started& started, std::wstring_view caption) {
  auto item = driver::FindItem(started.form, caption);
  EXPECT_TRUE(item) << "no item \"" << driver::Narrow(caption) << "\"";
  if (!item) return std::nullopt;
  driver::Click(item->window);
  auto box = driver::WaitForMessageBox(started.program.Id());
  EXPECT_TRUE(box) << "no message box after clicking \"" << driver::Narrow(caption) << "\"";
  return box;
}

namespace {

// The box's text read in full: the driver's reading stops at 1023 characters.
std::wstring FullMessageText(HWND box) {
  std::wstring text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (driver::ClassName(child) != L"Static") continue;
    std::wstring buffer(8192, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(child, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied)) {
      continue;
    }
    buffer.resize(std::min<std::size_t>(copied, buffer.size() - 1));
    if (!buffer.empty()) text += (text.empty() ? L"" : L"\n") + buffer;
  }
  return text;
}

}  // namespace

void ExpectMessageAndAnswer(const std::optional<driver::MessageBoxInfo>& box, std::wstring_view text,
                            std::wstring_view program) {
  ASSERT_TRUE(box);
  const std::wstring shown = FullMessageText(box->window);
  EXPECT_EQ(shown, text) << "got " << shown.size() << " characters: " << driver::Narrow(shown.substr(0, 40)) << " ... "
                         << driver::Narrow(shown.substr(shown.size() > 40 ? shown.size() - 40 : 0));
  EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
  EXPECT_EQ(box->title, program);
  for (HWND child = GetWindow(box->window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    const bool iconStatic = driver::ClassName(child) == L"Static" && (style & SS_TYPEMASK) == SS_ICON;
    EXPECT_FALSE(iconStatic && IsWindowVisible(child) && SendMessageW(child, STM_GETICON, 0, 0) != 0)
        << "the message box shows an icon";
  }
  ASSERT_TRUE(driver::PressOk(*box));
  EXPECT_TRUE(driver::WaitUntil([&] { return !IsWindow(box->window); })) << "the message box stayed";
}

void ExpectForm(HWND form, int clientWidth, int clientHeight, const std::vector<ExpectedItem>& expected) {
  EXPECT_EQ(driver::WindowText(form), L"Form1");
  const SIZE client = driver::ClientSize(form);
  EXPECT_EQ(client.cx, e2e::PixelsX(clientWidth));
  EXPECT_EQ(client.cy, e2e::PixelsY(clientHeight));
  const auto items = driver::ListItems(form);
  ASSERT_EQ(items.size(), expected.size()) << driver::Narrow(driver::Describe(items));
  // Items are stacked in creation order, not tab order: each is looked up by its caption.
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(driver::Narrow(expected[i].text));
    const auto found = std::find_if(items.begin(), items.end(),
                                    [&](const driver::Item& item) { return item.text == expected[i].text; });
    ASSERT_NE(found, items.end()) << driver::Narrow(driver::Describe(items));
    const driver::Item& item = *found;
    EXPECT_EQ(item.className, expected[i].className);
    EXPECT_EQ(item.rect.left, e2e::PixelsX(expected[i].left));
    EXPECT_EQ(item.rect.top, e2e::PixelsY(expected[i].top));
    EXPECT_EQ(item.rect.right - item.rect.left, e2e::PixelsX(expected[i].width));
    EXPECT_EQ(item.rect.bottom - item.rect.top, e2e::PixelsY(expected[i].height));
    EXPECT_TRUE(item.visible && item.enabled && item.tabStop);
    EXPECT_EQ(item.check, expected[i].check);
    EXPECT_EQ(item.focused, i == 0) << "the first item in tab order holds the focus";
  }
}

}  // namespace kit::services_test
