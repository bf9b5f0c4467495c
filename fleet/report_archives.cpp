// Portable. Reports found in a zip archive by its central directory and read entry by entry through
// kit_zip. An archive is read from disk once when it is kept from finding to reading (while the
// archives kept stay within kKeptArchiveBytes), and its reports share it until the last is read.
#include "fleet/report_archives.h"

#include "fleet/zip_reader.h"

#include "common/letter_case.h"
#include "common/utf8_text.h"

#include <algorithm>
#include <map>

namespace kit::fleet {
namespace {

// The zip format's mark of names written in UTF-8; without it a name is in the DOS code page.
constexpr std::uint16_t kFlagUtf8Names = 0x0800;

// The upper half of the DOS code page 437, the zip format's own for names without that mark.
// Archives made by tools that write UTF-8 without the mark are told by their bytes.
constexpr wchar_t kDosUpperHalf[] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

std::wstring NameText(std::string_view name, std::uint16_t flags) {
  if ((flags & kFlagUtf8Names) || IsUtf8(name)) return FromUtf8(name);
  std::wstring text;
  text.reserve(name.size());
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    text += byte < 0x80 ? static_cast<wchar_t>(byte) : kDosUpperHalf[byte - 0x80];
  }
  return text;
}

// The archive of some reports: the reader kept from finding them, or read again at the first of
// their reads; freed with the last of its reports.
class Archive {
public:
  Archive(DiskPath file, std::shared_ptr<const ZipReader> kept) : m_file(std::move(file)), m_zip(std::move(kept)) {}

  // Null when the archive can no longer be read.
  const ZipReader* Zip() const {
    if (!m_zip && !m_readAgain) {
      m_readAgain = true;
      auto zip = std::make_shared<const ZipReader>(ZipReader::FromFile(m_file));
      if (zip->Error().empty()) m_zip = std::move(zip);
    }
    return m_zip.get();
  }

private:
  DiskPath m_file;
  mutable std::shared_ptr<const ZipReader> m_zip;
  mutable bool m_readAgain = false;
};

struct ReportEntry {
  std::wstring file;  // the file's name in lower case, as the report's files are asked for
  std::size_t index;  // in the archive's directory
  std::string name;   // the entry's name as stored, checked when the archive is read again
};

class ArchiveReport final : public ReportFiles {
public:
  ArchiveReport(std::shared_ptr<const Archive> archive, std::wstring where, std::wstring name, std::wstring link,
                std::vector<ReportEntry> entries)
      : m_archive(std::move(archive)), m_where(std::move(where)), m_name(std::move(name)), m_link(std::move(link)),
        m_entries(std::move(entries)) {}

  std::wstring Where() const override { return m_where; }
  std::wstring Name() const override { return m_name; }
  std::wstring PageLink() const override { return m_link; }
  std::optional<std::string> Read(std::string_view file, std::size_t limit) const override {
    const std::wstring wanted = Lower(FromUtf8(file));
    const auto found = std::ranges::find(m_entries, wanted, &ReportEntry::file);
    if (found == m_entries.end()) return std::nullopt;
    const ZipReader* zip = m_archive->Zip();
    if (!zip || found->index >= zip->Entries().size() || zip->Entries()[found->index].name != found->name) return std::nullopt;
    std::string error;
    std::optional<std::string> bytes = zip->Read(zip->Entries()[found->index], error);
    if (bytes && bytes->size() > limit) bytes->resize(limit);
    return bytes;
  }

private:
  std::shared_ptr<const Archive> m_archive;
  std::wstring m_where, m_name, m_link;
  std::vector<ReportEntry> m_entries;
};

// The archive's name without ".zip": the name of a report zipped from inside its folder.
std::wstring ArchiveStem(const DiskPath& archive) {
  const std::wstring name = PathText(LastName(archive));
  return name.substr(0, name.size() - 4);
}

bool IsReportFile(const std::wstring& lowerName) {
  return std::ranges::any_of(kReportMarks, [&](const char* mark) { return lowerName == FromUtf8(mark); });
}

}  // namespace

bool IsZipArchive(const DiskPath& file) { return Lower(PathText(LastName(file))).ends_with(L".zip"); }

void FindArchiveReports(const DiskPath& archive, std::wstring link, FoundReports& found, std::uint64_t& keepable) {
  auto zip = std::make_shared<const ZipReader>(ZipReader::FromFile(archive));
  if (!zip->Error().empty()) {
    found.problems.emplace_back(PathText(archive), FromUtf8(zip->Error()));
    return;
  }
  // The archive's folders by their names as stored, with '\' read as '/' (some tools write it), and
  // the files of each; folder entries, which many tools leave out, are passed over.
  std::map<std::string, std::vector<std::size_t>> folders;
  const std::vector<ZipEntry>& entries = zip->Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].IsFolder()) continue;
    std::string name = entries[i].name;
    std::ranges::replace(name, '\\', '/');
    const std::size_t slash = name.rfind('/');
    folders[slash == std::string::npos ? std::string() : name.substr(0, slash)].push_back(i);
  }

  std::shared_ptr<const Archive> shared;  // made with the first report, kept in memory while the budget allows
  constexpr wchar_t kSeparator = kPathSeparator;
  const std::wstring archiveText = PathText(archive);
  std::size_t reports = 0;
  for (const auto& [folder, indices] : folders) {
    std::vector<ReportEntry> files;
    bool isReport = false;
    for (std::size_t i : indices) {
      const std::string& name = entries[i].name;
      const std::size_t slash = name.find_last_of("/\\");
      std::wstring file = Lower(NameText(slash == std::string::npos ? name : name.substr(slash + 1), entries[i].flags));
      isReport = isReport || IsReportFile(file);
      files.push_back({std::move(file), i, name});
    }
    if (!isReport) continue;
    ++reports;
    // The report's place shown as the system shows a folder inside an archive.
    std::wstring inside = NameText(folder, entries[indices.front()].flags);
    std::ranges::replace(inside, L'/', kSeparator);
    const std::wstring where = inside.empty() ? archiveText : archiveText + kSeparator + inside;
    const std::size_t last = inside.rfind(kSeparator);
    std::wstring name = inside.empty() ? ArchiveStem(archive) : inside.substr(last == std::wstring::npos ? 0 : last + 1);
    // A report whose CSV cannot be read is listed with kit_zip's reason (encrypted, damaged, a
    // method it does not read) rather than as a report without one.
    const auto csv = std::ranges::find(files, std::wstring(L"report.csv"), &ReportEntry::file);
    std::string why;
    if (csv != files.end() && !zip->Read(entries[csv->index], why)) {
      found.problems.emplace_back(where, FromUtf8(why));
      continue;
    }
    if (!shared) {
      const std::optional<std::uint64_t> size = FileSize(archive);
      const bool keep = size && *size <= keepable;
      if (keep) keepable -= *size;
      shared = std::make_shared<const Archive>(archive, keep ? zip : nullptr);
    }
    found.reports.push_back(std::make_unique<ArchiveReport>(shared, where, std::move(name), link, std::move(files)));
  }
  if (reports == 0) {
    const std::wstring count = entries.size() == 1 ? L"1 entry" : FromUtf8(std::to_string(entries.size())) + L" entries";
    found.problems.emplace_back(archiveText, entries.empty() ? L"an empty archive"
                                                             : L"holds no survey report (" + count +
                                                                   L": no report.csv, machine.txt or report.html in any folder)");
  }
}

}  // namespace kit::fleet
