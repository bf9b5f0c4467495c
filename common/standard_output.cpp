// Win32-only. Standard output and error of the kit's console programs.
#include "common/standard_output.h"

#include "common/utf8_text.h"
#include "common/win32.h"

#include <string>

namespace kit {

void WriteStandardLine(bool error, std::wstring_view text) {
  const HANDLE handle = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring line = std::wstring(text) + L"\r\n";
    WriteConsoleW(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return;
  }
  const std::string line = ToUtf8(text) + "\r\n";
  WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace kit
