// Win32-only. An empty file cannot be mapped at all (CreateFileMapping refuses a zero size): it
// reads as no bytes, which the program-file reader names.
#include "diagnosis/file_view.h"

namespace kit::diagnosis {

FileView::FileView(const std::wstring& path, std::uint64_t limit) {
  const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    m_error = GetLastError();
    return;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) {
    m_error = GetLastError();
    return;
  }
  m_size = static_cast<std::uint64_t>(size.QuadPart);
  if (m_size == 0) return;
  if (m_size > limit || m_size > SIZE_MAX) {
    m_error = ERROR_FILE_TOO_LARGE;
    return;
  }
  m_mapping.reset(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (m_mapping) m_view.reset(MapViewOfFile(m_mapping.get(), FILE_MAP_READ, 0, 0, 0));
  if (!m_view) {
    m_error = GetLastError();
    return;
  }
  m_bytes = {static_cast<const std::uint8_t*>(m_view.get()), static_cast<std::size_t>(m_size)};
}

}  // namespace kit::diagnosis
