// Portable (std::filesystem). The file-system side of kit_fleet: report folders and zip archives
// found, folders read, the fleet's files written. Nothing here throws: a folder that cannot be
// listed is a problem met.
#include "fleet/report_folders.h"

#include "fleet/report_archives.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace kit::fleet {
namespace {

namespace fs = std::filesystem;

class ReportFolder final : public ReportFiles {
public:
  ReportFolder(fs::path folder, std::wstring link) : m_folder(std::move(folder)), m_link(std::move(link)) {}
  std::wstring Where() const override { return m_folder.wstring(); }
  std::wstring Name() const override { return m_folder.filename().wstring(); }
  std::wstring PageLink() const override { return m_link; }
  std::optional<std::string> Read(std::string_view file, std::size_t limit) const override {
    const fs::path path = m_folder / fs::path(std::string(file));
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(std::min<std::uintmax_t>(size, limit)), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return std::nullopt;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
  }

private:
  fs::path m_folder;
  std::wstring m_link;
};

bool IsReportFolder(const fs::path& folder) {
  std::error_code error;
  return std::ranges::any_of(kReportMarks, [&](const char* mark) { return fs::is_regular_file(folder / mark, error); });
}

std::wstring LinkTo(const fs::path& file, const fs::path& pageFolder) {
  std::error_code error;
  // Both made absolute first: the fleet's folder may not exist yet, and a relative path that does
  // not exist stays relative, with no relation to the other.
  const fs::path page = fs::weakly_canonical(fs::absolute(file, error), error);
  if (error) return file.wstring();
  const fs::path base = fs::weakly_canonical(fs::absolute(pageFolder, error), error);
  if (error) return page.wstring();
  const fs::path relative = page.lexically_relative(base);
  return (relative.empty() ? page : relative).generic_wstring();
}

// A report folder, or the reports in an archive.
void Add(const fs::path& path, bool isArchive, const fs::path& pageFolder, FoundReports& found, std::uint64_t& keepable) {
  if (isArchive) {
    FindArchiveReports(path, LinkTo(path, pageFolder), found, keepable);
  } else {
    found.reports.push_back(std::make_unique<ReportFolder>(path, LinkTo(path / "report.html", pageFolder)));
  }
}

}  // namespace

FoundReports FindReports(const std::vector<fs::path>& paths, const fs::path& pageFolder) {
  FoundReports found;
  std::uint64_t keepable = kKeptArchiveBytes;
  for (const fs::path& path : paths) {
    std::error_code error;
    if (!fs::is_directory(path, error)) {
      if (fs::is_regular_file(path, error) && IsZipArchive(path)) {
        Add(path, true, pageFolder, found, keepable);
      } else {
        found.problems.emplace_back(path.wstring(), fs::exists(path, error) ? L"not a report folder" : L"not found");
      }
      continue;
    }
    if (IsReportFolder(path)) {
      Add(path, false, pageFolder, found, keepable);
      continue;
    }
    // Report folders and archives sorted by path, so that the page is the same however the disk
    // lists them (and a folder comes before the same report zipped beside it).
    std::vector<std::pair<fs::path, bool>> places;
    fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, error);
    if (error) {
      found.problems.emplace_back(path.wstring(), L"cannot be listed");
      continue;
    }
    for (; it != fs::recursive_directory_iterator(); it.increment(error)) {
      if (error) {
        found.problems.emplace_back(it->path().wstring(), L"cannot be listed");
        break;
      }
      std::error_code kind;
      if (it->is_regular_file(kind) && IsZipArchive(it->path())) {
        places.emplace_back(it->path(), true);
        continue;
      }
      if (!it->is_directory(kind) || it->is_symlink(kind)) continue;
      if (IsReportFolder(it->path())) {
        places.emplace_back(it->path(), false);
        it.disable_recursion_pending();
      }
    }
    std::ranges::sort(places);
    for (const auto& [place, isArchive] : places) Add(place, isArchive, pageFolder, found, keepable);
  }
  return found;
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace kit::fleet
