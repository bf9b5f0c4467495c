// Win32-only. The verifier's log file: a text file in the ANSI code page, CR LF after every
// line, created or emptied when opened, in the current directory when named without a folder.
#pragma once

#include "common/owners.h"
#include "verifier/report_surface.h"

namespace kit::verifier {

class Win32LogFile : public LogFile {
public:
  std::uint32_t Open(std::wstring_view name) override;
  std::uint32_t WriteLine(std::wstring_view line) override;
  std::uint32_t Close() override;

private:
  UniqueHandleObject m_file;  // null while closed
};

}  // namespace kit::verifier
