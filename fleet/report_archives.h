// Portable. Survey reports inside zip archives, as they come back by mail: a report folder zipped
// whole (by the system's "compressed folder", 7-Zip or Info-ZIP, with or without folder entries),
// its files zipped at the archive's root (the report then takes the archive's name), or many
// report folders in one archive, nested at any depth. Entries are read in place through kit_zip:
// nothing is extracted, so an entry's name ("../x", "C:\x") never decides where anything goes.
#pragma once

#include "fleet/report_folders.h"

#include <cstdint>
#include <string>

namespace kit::fleet {

// Archive bytes kept in memory from finding the reports to reading them, for all archives together.
// An archive beyond this is read again when its reports are read (a fleet mailed back as thousands
// of archives), and freed after its last.
inline constexpr std::uint64_t kKeptArchiveBytes = 128ull << 20;

// ".zip" in any letter case (a mail gateway's ".ZIP" included).
bool IsZipArchive(const DiskPath& file);

// The reports in `archive` added to `found`, in the order of their folders' names; an archive
// that cannot be read, or holds no report, and a report whose report.csv cannot be read, are
// problems, with kit_zip's reason. `link`: the archive, as the fleet's page links to it.
// `keepable`: the bytes of archives that may still be kept in memory until their reports are read;
// an archive kept is taken off it. The reports of one archive share it: read them from one thread
// at a time.
void FindArchiveReports(const DiskPath& archive, std::wstring link, FoundReports& found,
                        std::uint64_t& keepable);

}  // namespace kit::fleet
