// Portable (std::filesystem): the disk for the native build of kit_fleet. Nothing here throws.
#include "fleet/fleet_disk.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace kit::fleet {

namespace fs = std::filesystem;

DiskKind KindOf(const DiskPath& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) return DiskKind::None;
  return fs::is_directory(status) ? DiskKind::Folder : fs::is_regular_file(status) ? DiskKind::File : DiskKind::Other;
}

std::optional<std::vector<FolderEntry>> ListFolder(const DiskPath& folder) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return std::nullopt;
  std::vector<FolderEntry> entries;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    if (error) return std::nullopt;
    std::error_code kind;
    FolderEntry entry{it->path().filename().native(), DiskKind::Other, it->is_symlink(kind)};
    if (it->is_directory(kind)) entry.kind = DiskKind::Folder;
    else if (it->is_regular_file(kind)) entry.kind = DiskKind::File;
    entries.push_back(std::move(entry));
  }
  if (error) return std::nullopt;
  return entries;
}

std::optional<std::uint64_t> FileSize(const DiskPath& file) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  if (error) return std::nullopt;
  return size;
}

std::optional<std::string> ReadFileBytes(const DiskPath& file, std::uint64_t limit) {
  // The size from the open file, not from its path: a fleet is thousands of folders, and each
  // lookup of a path costs more than the small file's bytes.
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const std::streamoff size = in.tellg();
  if (size < 0 || !in.seekg(0)) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(std::min(static_cast<std::uint64_t>(size), limit)), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return std::nullopt;
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

bool WriteFileBytes(const DiskPath& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

bool MakeFolders(const DiskPath& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  return KindOf(folder) == DiskKind::Folder;
}

DiskPath AbsolutePath(const DiskPath& path) {
  std::error_code error;
  const fs::path absolute = fs::weakly_canonical(fs::absolute(path, error), error);
  return error ? path : absolute.native();
}

}  // namespace kit::fleet
