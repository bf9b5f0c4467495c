// Win32-only. Read in pieces until the system reports the end, so a file that grows while it is
// read (a log) gives all it held when the last piece was read.
#include "common/whole_file.h"

#include "common/owners.h"

namespace kit {

std::string ReadWholeFile(const std::wstring& path, std::size_t limit) {
  const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || static_cast<unsigned long long>(size.QuadPart) > limit) return {};
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  char buffer[16384];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  const std::wstring partial = path + L".partial";
  {
    UniqueFile file(
        CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
      const DWORD error = GetLastError();
      file.reset();  // closed before it is deleted
      DeleteFileW(partial.c_str());
      SetLastError(error ? error : ERROR_DISK_FULL);
      return false;
    }
  }
  if (MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  const DWORD error = GetLastError();
  DeleteFileW(partial.c_str());
  SetLastError(error);
  return false;
}

}  // namespace kit
