// Portable. The disk side of kit_fleet: report folders and zip archives found, folders read, the
// fleet's files written. A folder that cannot be listed is a problem met, never the end.
#include "fleet/report_folders.h"

#include "fleet/report_archives.h"

#include "common/utf8_text.h"

#include <algorithm>

namespace kit::fleet {
namespace {

class ReportFolder final : public ReportFiles {
public:
  ReportFolder(DiskPath folder, std::wstring link) : m_folder(std::move(folder)), m_link(std::move(link)) {}
  std::wstring Where() const override { return PathText(m_folder); }
  std::wstring Name() const override { return PathText(LastName(m_folder)); }
  std::wstring PageLink() const override { return m_link; }
  std::optional<std::string> Read(std::string_view file, std::size_t limit) const override {
    return ReadFileBytes(JoinPath(m_folder, PathFromUtf8(file)), limit);
  }

private:
  DiskPath m_folder;
  std::wstring m_link;
};

bool IsReportFolder(const std::vector<FolderEntry>& entries) {
  return std::ranges::any_of(entries, [](const FolderEntry& entry) {
    return entry.kind == DiskKind::File &&
           std::ranges::any_of(kReportMarks, [&](const char* mark) { return entry.name == PathFromUtf8(mark); });
  });
}

struct Place {
  DiskPath path;
  bool isArchive = false;
};

// Below `folder`: every report folder (not looked into further) and every archive. Links are not
// followed, so a loop of them is never walked round.
void Walk(const DiskPath& folder, std::vector<Place>& places, FoundReports& found) {
  const std::optional<std::vector<FolderEntry>> entries = ListFolder(folder);
  if (!entries) {
    found.problems.emplace_back(PathText(folder), L"cannot be listed");
    return;
  }
  if (IsReportFolder(*entries)) {
    places.push_back({folder, false});
    return;
  }
  for (const FolderEntry& entry : *entries) {
    if (entry.kind == DiskKind::File && IsZipArchive(entry.name)) places.push_back({JoinPath(folder, entry.name), true});
    if (entry.kind == DiskKind::Folder && !entry.link) Walk(JoinPath(folder, entry.name), places, found);
  }
}

}  // namespace

FoundReports FindReports(const std::vector<DiskPath>& paths, const DiskPath& pageFolder) {
  FoundReports found;
  const DiskPath base = AbsolutePath(pageFolder);
  std::uint64_t keepable = kKeptArchiveBytes;
  for (const DiskPath& path : paths) {
    const DiskKind kind = KindOf(path);
    // Each place found below the path is the path and a tail of names the walk added to it.
    const DiskPath root = AbsolutePath(path);
    const auto link = [&](const DiskPath& place) {
      DiskPath tail = place.substr(path.size());
      while (!tail.empty() && (tail.front() == kPathSeparator || tail.front() == '/')) tail.erase(0, 1);
      return LinkBetween(tail.empty() ? root : JoinPath(root, tail), base);
    };
    std::vector<Place> places;
    if (kind == DiskKind::Folder) {
      Walk(path, places, found);
    } else if (kind == DiskKind::File && IsZipArchive(path)) {
      places.push_back({path, true});
    } else {
      found.problems.emplace_back(PathText(path), kind == DiskKind::None ? L"not found" : L"not a report folder");
    }
    // Sorted by path, so that the page is the same however the disk lists them (and a report folder
    // comes before the same report zipped beside it).
    std::ranges::sort(places, {}, &Place::path);
    for (const Place& place : places) {
      if (place.isArchive) {
        FindArchiveReports(place.path, link(place.path), found, keepable);
      } else {
        found.reports.push_back(std::make_unique<ReportFolder>(place.path, link(JoinPath(place.path, PathFromUtf8("report.html")))));
      }
    }
  }
  return found;
}

bool WriteFile(const DiskPath& path, const std::string& bytes) { return WriteFileBytes(path, bytes); }

}  // namespace kit::fleet
