// Portable. Zip archives of report folders, as they come back by mail: the entries listed from the
// central directory and an entry's bytes read, stored or deflated. Whatever the archive holds is
// data from outside: a truncated, corrupt or hostile archive gives an error, never a crash, and no
// entry is read past kMaxZipEntrySize. Zip64 archives, archives split over disks and encrypted
// entries are refused, never misread. Names are given as stored ("../x" and "/x" included): where
// an entry may go is its caller's judgement.
#pragma once

#include "fleet/fleet_disk.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kit::fleet {

inline constexpr std::uint32_t kMaxZipEntrySize = 64u << 20;     // bytes of one entry, once read
inline constexpr std::uint64_t kMaxZipArchiveSize = 1ull << 30;  // bytes of an archive read whole

struct ZipEntry {
  std::string name;  // as stored: UTF-8 for archives of today's tools, the DOS code page for old ones
  std::uint16_t method = 0;  // 0 stored, 8 deflated; any other is listed but cannot be read
  std::uint16_t flags = 0;
  std::uint32_t crc32 = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t size = 0;  // as the directory declares it; the read holds the entry to it
  std::uint32_t localHeader = 0;

  bool IsFolder() const { return !name.empty() && (name.back() == '/' || name.back() == '\\'); }
};

class ZipReader {
public:
  // The archive's bytes; the directory is read at once. Error() says why when it cannot be.
  explicit ZipReader(std::string bytes);
  // The archive file read whole; a file that cannot be read, or larger than kMaxZipArchiveSize, is
  // an error like a damaged archive.
  static ZipReader FromFile(const DiskPath& file);

  // Empty when the directory was read: then Entries() lists it, in the archive's order.
  const std::string& Error() const { return m_error; }
  const std::vector<ZipEntry>& Entries() const { return m_entries; }
  // The first entry of that exact name.
  const ZipEntry* Find(std::string_view name) const;

  // The entry's bytes, checked against its declared size and checksum; nothing, with `error` set,
  // when it cannot be read whole.
  std::optional<std::string> Read(const ZipEntry& entry, std::string& error) const;

private:
  std::string ReadDirectory();

  std::string m_bytes;
  std::vector<ZipEntry> m_entries;
  std::string m_error;
};

}  // namespace kit::fleet
