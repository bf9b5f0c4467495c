// Win32-only. The disk for kit_fleet on Windows, by the system's wide functions: folders of any
// name, and nothing of the C++ runtime's file streams or file-system library.
#include "fleet/fleet_disk.h"

#include "common/owners.h"
#include "common/whole_file.h"
#include "common/win32.h"

#include <algorithm>

namespace kit::fleet {

DiskKind KindOf(const DiskPath& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return DiskKind::None;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return DiskKind::Folder;
  return attributes & FILE_ATTRIBUTE_DEVICE ? DiskKind::Other : DiskKind::File;
}

std::optional<std::vector<FolderEntry>> ListFolder(const DiskPath& folder) {
  WIN32_FIND_DATAW found{};
  const UniqueFind find(FindFirstFileW(JoinPath(folder, L"*").c_str(), &found));
  if (!find) return std::nullopt;
  std::vector<FolderEntry> entries;
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const bool isFolder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    entries.push_back({std::wstring(name), isFolder ? DiskKind::Folder : DiskKind::File,
                       (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
  } while (FindNextFileW(find.get(), &found));
  if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
  return entries;
}

std::optional<std::uint64_t> FileSize(const DiskPath& file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::optional<std::string> ReadFileBytes(const DiskPath& file, std::uint64_t limit) {
  // Shared with whoever else has the file open: a report still being copied in reads as it stands.
  const UniqueFile handle(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle.get(), &size)) return std::nullopt;
  const std::uint64_t wanted = std::min<std::uint64_t>(static_cast<std::uint64_t>(size.QuadPart), limit);
  std::string bytes(static_cast<std::size_t>(wanted), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
    DWORD read = 0;
    if (!ReadFile(handle.get(), bytes.data() + done, piece, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

bool WriteFileBytes(const DiskPath& file, const std::string& bytes) { return WriteWholeFile(file, bytes); }

bool MakeFolders(const DiskPath& folder) {
  if (KindOf(folder) == DiskKind::Folder) return true;
  const DiskPath absolute = AbsolutePath(folder);
  // Each folder from the root down; those that exist (or cannot be made, as a drive's root) are
  // passed over, and the last one tells.
  for (std::size_t at = absolute.find_first_of(L"\\/"); at != DiskPath::npos; at = absolute.find_first_of(L"\\/", at + 1)) {
    if (at > 0 && absolute[at - 1] != L':' && absolute[at - 1] != L'\\') CreateDirectoryW(absolute.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryW(absolute.c_str(), nullptr);
  return KindOf(folder) == DiskKind::Folder;
}

DiskPath AbsolutePath(const DiskPath& path) {
  const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring absolute(length, L'\0');
  const DWORD written = GetFullPathNameW(path.c_str(), length, absolute.data(), nullptr);
  if (written == 0 || written >= length) return path;
  absolute.resize(written);
  return absolute;
}

}  // namespace kit::fleet
