// Portable. Path text over the system's own paths: joined, named, shown, and the link from the
// fleet's folder to a report's page.
#include "fleet/fleet_disk.h"

#include "common/letter_case.h"
#include "common/utf8_text.h"

namespace kit::fleet {
namespace {

#ifdef _WIN32
// Windows takes either separator, and names differ in letter case only as the same name. Paths on
// two drives (or shares) have no relative link.
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool SameName(const DiskPath& a, const DiskPath& b) { return SameNoCase(a, b); }
constexpr bool kOneRoot = false;
#else
bool IsSeparator(char c) { return c == '/'; }
bool SameName(const DiskPath& a, const DiskPath& b) { return a == b; }
constexpr bool kOneRoot = true;
#endif

std::vector<DiskPath> Names(const DiskPath& path) {
  std::vector<DiskPath> names;
  for (std::size_t at = 0; at < path.size();) {
    std::size_t end = at;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (end > at) names.push_back(path.substr(at, end - at));
    at = end + 1;
  }
  return names;
}

}  // namespace

DiskPath JoinPath(const DiskPath& folder, const DiskPath& name) {
  if (folder.empty()) return name;
  return IsSeparator(folder.back()) ? folder + name : folder + kPathSeparator + name;
}

DiskPath PathFromUtf8(std::string_view utf8) {
#ifdef _WIN32
  return FromUtf8(utf8);
#else
  return DiskPath(utf8);
#endif
}

std::string PathUtf8(const DiskPath& path) {
#ifdef _WIN32
  return ToUtf8(path);
#else
  return path;
#endif
}

std::wstring PathText(const DiskPath& path) {
#ifdef _WIN32
  return path;
#else
  return FromUtf8(path);
#endif
}

DiskPath LastName(const DiskPath& path) {
  std::size_t end = path.size();
  while (end > 0 && IsSeparator(path[end - 1])) --end;
  std::size_t start = end;
  while (start > 0 && !IsSeparator(path[start - 1])) --start;
  return path.substr(start, end - start);
}

std::wstring LinkBetween(const DiskPath& absolute, const DiskPath& absoluteFolder) {
  const std::vector<DiskPath> to = Names(absolute);
  const std::vector<DiskPath> from = Names(absoluteFolder);
  std::size_t shared = 0;
  while (shared < to.size() && shared < from.size() && SameName(to[shared], from[shared])) ++shared;
  if (shared == 0 && !kOneRoot) return PathText(absolute);
  std::wstring link;
  for (std::size_t i = shared; i < from.size(); ++i) link += L"../";
  for (std::size_t i = shared; i < to.size(); ++i) link += PathText(to[i]) + (i + 1 < to.size() ? L"/" : L"");
  return link;
}

}  // namespace kit::fleet
