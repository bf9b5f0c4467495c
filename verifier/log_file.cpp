// Win32-only. Writes straight through: a line is on disk when the row is complete.
#include "verifier/log_file.h"

#include "common/ansi_text.h"

#include <string>

namespace kit::verifier {

std::uint32_t Win32LogFile::Open(std::wstring_view name) {
  // Others may read the log while it is written, as with any text file; nobody may write it.
  // An existing log is opened and emptied, never recreated: Windows refuses to recreate a hidden
  // or system file (CREATE_ALWAYS, TRUNCATE_EXISTING) unless its attributes are asked for again,
  // and a log somebody hid must still be rewritten. Only an absent log is created.
  m_file.reset();
  UniqueFile opened(m_open(ToAnsi(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!opened) return GetLastError();
  // A fresh handle stands at the start: the end of the file is set there.
  if (!SetEndOfFile(opened.get())) return GetLastError();
  m_file = std::move(opened);
  return 0;
}

std::uint32_t Win32LogFile::WriteLine(std::wstring_view line) {
  if (!m_file) return ERROR_INVALID_HANDLE;
  const std::string bytes = ToAnsi(line) + "\r\n";
  DWORD written = 0;
  if (!WriteFile(m_file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return GetLastError();
  return written == bytes.size() ? 0 : ERROR_WRITE_FAULT;
}

std::uint32_t Win32LogFile::Close() {
  if (!m_file) return 0;
  const BOOL closed = CloseHandle(m_file.release());
  return closed ? 0 : GetLastError();
}

}  // namespace kit::verifier
