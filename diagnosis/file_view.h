// Win32-only. A program file's bytes as they lie on disk, mapped for reading (never as an image:
// nothing of it runs, and no section's protection can fault a read). Shared with whoever else has
// the file open, so a file in use still reads.
#pragma once

#include "common/owners.h"

#include <cstdint>
#include <span>
#include <string>

namespace kit::diagnosis {

class FileView {
public:
  // Files beyond `limit` bytes are not mapped (error ERROR_FILE_TOO_LARGE).
  FileView(const std::wstring& path, std::uint64_t limit);

  std::span<const std::uint8_t> Bytes() const { return m_bytes; }
  std::uint64_t Size() const { return m_size; }
  // Why the file could not be read: the system's code; 0 when it could (an empty file included).
  DWORD Error() const { return m_error; }

private:
  UniqueHandleObject m_mapping;
  UniqueView m_view;
  std::span<const std::uint8_t> m_bytes;
  std::uint64_t m_size = 0;
  DWORD m_error = 0;
};

}  // namespace kit::diagnosis
