// Win32-only. The stand-in's journal and the failures and delays tests ask of it, all through the
// environment. Appending with FILE_APPEND_DATA puts every line at the file's current end.
#include "common/utf8_text.h"
#include "common/owners.h"
#include "standins/comdlg32/comdlg_standin.h"

#include <string>

namespace kit::comdlg {
namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH * 2];
  const DWORD length = GetEnvironmentVariableW(name, value, ARRAYSIZE(value));
  if (length == 0 || length >= ARRAYSIZE(value)) return {};
  return std::wstring(value, length);
}

bool IsShowMethod(std::wstring_view member) {
  const DISPID id = MemberOf(member);
  return id >= kDispidShowOpen && id <= kDispidShowPrinter;
}

}  // namespace

void Journal(std::wstring_view instance, std::wstring_view event) {
  const std::wstring path = Environment(L"KIT_CONTROL_JOURNAL");
  if (path.empty()) return;
  std::wstring line(instance);
  line.append(L" ").append(event);
  for (wchar_t& c : line) {
    if (c == L'\r' || c == L'\n') c = L' ';  // one event, one line
  }
  const std::string text = ToUtf8(line) + "\n";
  const UniqueFile file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  DWORD written = 0;
  WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool FailureRequested(std::wstring_view member) {
  const std::wstring setting = Environment(L"KIT_COMDLG_FAIL");
  std::wstring_view rest = setting;
  while (!rest.empty()) {
    const std::size_t end = rest.find(L';');
    const std::wstring_view entry = rest.substr(0, end);
    if ((entry == L"*" && IsShowMethod(member)) || (!entry.empty() && MemberOf(entry) == MemberOf(member) &&
                                                    MemberOf(member) != DISPID_UNKNOWN)) {
      return true;
    }
    rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end + 1);
  }
  return false;
}

DWORD DialogDelayMs() {
  const std::wstring setting = Environment(L"KIT_COMDLG_SLOW");
  return setting.empty() ? 0 : static_cast<DWORD>(_wtoi(setting.c_str()));
}

bool PrinterDriverMissing() { return !Environment(L"KIT_COMDLG_NO_DRIVER").empty(); }

}  // namespace kit::comdlg
