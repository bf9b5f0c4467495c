// Win32-only. Message boxes and the top-level error report.
#include "common/fatal_report.h"

#include "common/error_text.h"
#include "common/module_path.h"
#include "common/win32.h"

namespace kit {
namespace {

void (*g_writeFatal)(std::wstring_view line) = nullptr;

}  // namespace

std::wstring ProgramTitle() {
  const std::wstring path = ModulePath(nullptr);
  if (path.empty()) return L"probe";
  const std::size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.resize(dot);
  return name;
}

void ShowMessage(void* owner, std::wstring_view text) {
  const std::wstring body(text);
  const std::wstring title = ProgramTitle();
  MessageBoxW(static_cast<HWND>(owner), body.c_str(), title.c_str(), MB_OK);
}

void ReportFatalError(std::uint32_t code, std::wstring_view description) {
  ReportFatalText(FormatErrorReport(code, description));
}

void SendFatalReportsTo(void (*write)(std::wstring_view line)) { g_writeFatal = write; }

void ReportFatalText(std::wstring_view text) {
  if (g_writeFatal) {
    g_writeFatal(ProgramTitle() + L": " + std::wstring(text));
  } else {
    ShowMessage(nullptr, text);
  }
  ExitProcess(1);
}

}  // namespace kit
