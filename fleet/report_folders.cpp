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
    // The size from the open file, not from its path: a fleet is thousands of folders, and each
    // lookup of a path costs more than the small file's bytes.
    std::ifstream in(m_folder / fs::path(std::string(file)), std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0 || !in.seekg(0)) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(std::min<std::uintmax_t>(static_cast<std::uintmax_t>(size), limit)), '\0');
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

// Links from the fleet's page to what lies below one of the paths given. The page's folder and the
// path are made absolute and resolved once (the fleet's folder may not exist yet, and a relative
// path that does not exist stays relative, with no relation to the other); each place found below
// the path is then reached by its path relative to it, without asking the file system again.
class Links {
public:
  Links(const fs::path& root, const fs::path& pageFolder) : m_root(root) {
    std::error_code error;
    m_resolvedRoot = fs::weakly_canonical(fs::absolute(root, error), error);
    if (error) m_resolvedRoot.clear();
    m_base = fs::weakly_canonical(fs::absolute(pageFolder, error), error);
    if (error) m_base.clear();
  }
  std::wstring To(const fs::path& file) const {
    if (m_resolvedRoot.empty()) return file.wstring();
    const fs::path below = file.lexically_relative(m_root);
    const fs::path target = (below.empty() || below == "." ? m_resolvedRoot : m_resolvedRoot / below).lexically_normal();
    if (m_base.empty()) return target.wstring();
    const fs::path relative = target.lexically_relative(m_base);
    return (relative.empty() ? target : relative).generic_wstring();
  }

private:
  fs::path m_root, m_resolvedRoot, m_base;
};

// A report folder, or the reports in an archive.
void Add(const fs::path& path, bool isArchive, const Links& links, FoundReports& found, std::uint64_t& keepable) {
  if (isArchive) {
    FindArchiveReports(path, links.To(path), found, keepable);
  } else {
    found.reports.push_back(std::make_unique<ReportFolder>(path, links.To(path / "report.html")));
  }
}

}  // namespace

FoundReports FindReports(const std::vector<fs::path>& paths, const fs::path& pageFolder) {
  FoundReports found;
  std::uint64_t keepable = kKeptArchiveBytes;
  for (const fs::path& path : paths) {
    std::error_code error;
    const Links links(path, pageFolder);
    if (!fs::is_directory(path, error)) {
      if (fs::is_regular_file(path, error) && IsZipArchive(path)) {
        Add(path, true, links, found, keepable);
      } else {
        found.problems.emplace_back(path.wstring(), fs::exists(path, error) ? L"not a report folder" : L"not found");
      }
      continue;
    }
    if (IsReportFolder(path)) {
      Add(path, false, links, found, keepable);
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
    for (const auto& [place, isArchive] : places) Add(place, isArchive, links, found, keepable);
  }
  return found;
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace kit::fleet
