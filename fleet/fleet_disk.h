// Portable interface. The disk as kit_fleet uses it: folders listed, files read and written, paths
// joined and shown. Two implementations: fleet_disk_posix.cpp (std::filesystem, the native build)
// and fleet_disk_win.cpp (Win32): the Windows program links neither std::filesystem nor the
// iostreams, which bring the C++ runtime's whole locale machinery (half a megabyte) into a 32-bit
// program of a kit that travels by mail. Paths are the system's own: UTF-16 on Windows (folders of
// any name), bytes elsewhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kit::fleet {

#ifdef _WIN32
using DiskPath = std::wstring;
inline constexpr wchar_t kPathSeparator = L'\\';
#else
using DiskPath = std::string;
inline constexpr char kPathSeparator = '/';
#endif

enum class DiskKind { None, File, Folder, Other };

struct FolderEntry {
  DiskPath name;
  DiskKind kind = DiskKind::None;
  bool link = false;  // a symbolic link or junction, which the fleet does not follow into
};

// What lies at the path (links followed); None when nothing does or it cannot be told, Other for
// what is neither a file nor a folder (a device).
DiskKind KindOf(const DiskPath& path);
// A folder's entries in the order the system gives them; nothing when it cannot be listed.
std::optional<std::vector<FolderEntry>> ListFolder(const DiskPath& folder);
std::optional<std::uint64_t> FileSize(const DiskPath& file);
// At most `limit` bytes from the file's start; nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const DiskPath& file, std::uint64_t limit);
// The whole file replaced, or false.
bool WriteFileBytes(const DiskPath& file, const std::string& bytes);
// The folder and those above it made where missing; false when it is not a folder after.
bool MakeFolders(const DiskPath& folder);
// The path made absolute with "." and ".." resolved; as given when the system cannot.
DiskPath AbsolutePath(const DiskPath& path);

// Portable path text (fleet_disk_path.cpp).
DiskPath JoinPath(const DiskPath& folder, const DiskPath& name);
DiskPath PathFromUtf8(std::string_view utf8);
std::string PathUtf8(const DiskPath& path);
std::wstring PathText(const DiskPath& path);
// The last name of the path ("C:\a\b.zip": "b.zip"), separators at its end passed over.
DiskPath LastName(const DiskPath& path);
// From `absoluteFolder` to `absoluteTarget` (both made absolute by AbsolutePath, once for the
// thousands of reports below one path: each resolving asks the disk about every folder on the
// way), in '/' form ("../in/PC7/report.html"); the absolute target when they share no root.
std::wstring LinkBetween(const DiskPath& absoluteTarget, const DiskPath& absoluteFolder);

}  // namespace kit::fleet
