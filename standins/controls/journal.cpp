// Win32-only. Appending with FILE_APPEND_DATA makes every write land at the current end of the
// file, whoever else appended in between.
#include "standins/controls/journal.h"

#include "common/utf8_text.h"
#include "common/owners.h"
#include "common/win32.h"

namespace kit::standin {

void JournalLine(std::wstring_view instance, std::wstring_view event) {
  wchar_t path[MAX_PATH * 2];
  const DWORD length = GetEnvironmentVariableW(L"KIT_CONTROL_JOURNAL", path, ARRAYSIZE(path));
  if (length == 0 || length >= ARRAYSIZE(path)) return;

  std::wstring line;
  line.reserve(instance.size() + event.size() + 1);
  line.append(instance).append(L" ").append(event);
  // One event, one line: a line break inside a value (rich text, say) is written as \r or \n.
  std::wstring flat;
  flat.reserve(line.size());
  for (wchar_t c : line) {
    if (c == L'\r') {
      flat += L"\\r";
    } else if (c == L'\n') {
      flat += L"\\n";
    } else {
      flat += c;
    }
  }
  const std::string utf8 = ToUtf8(flat) + "\n";

  const UniqueFile file(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  DWORD written = 0;
  WriteFile(file.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace kit::standin
