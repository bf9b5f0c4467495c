// Win32-only. The verifier's log file: a text file in the ANSI code page, CR LF after every
// line, created or emptied when opened, in the current directory when named without a folder.
#pragma once

#include "common/owners.h"
#include "verifier/report_surface.h"

namespace kit::verifier {

class Win32LogFile : public LogFile {
public:
  // The file system's open call, CreateFileA unless a test records what the log asks of it.
  using OpenFunction = HANDLE(WINAPI*)(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                       DWORD disposition, DWORD flags, HANDLE model);
  explicit Win32LogFile(OpenFunction open = &CreateFileA) : m_open(open) {}

  std::uint32_t Open(std::wstring_view name) override;
  std::uint32_t WriteLine(std::wstring_view line) override;
  std::uint32_t Close() override;

private:
  OpenFunction m_open;
  UniqueFile m_file;
};

}  // namespace kit::verifier
