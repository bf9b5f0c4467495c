// Portable. The zip container read by the fields its format gives, every offset and length checked
// against the archive's bytes before use; the deflated data is zlib's raw inflate.
#include "fleet/zip_reader.h"

#include <zlib.h>

#include <algorithm>

namespace kit::fleet {
namespace {

// Record signatures and fixed lengths of the zip format.
constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr std::uint32_t kDirectorySignature = 0x02014B50;
constexpr std::uint32_t kLocalSignature = 0x04034B50;
constexpr std::size_t kEndLength = 22;
constexpr std::size_t kZip64LocatorLength = 20;
constexpr std::size_t kDirectoryLength = 46;
constexpr std::size_t kLocalLength = 30;
constexpr std::size_t kMaxCommentLength = 0xFFFF;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kFlagEncrypted = 0x0001;
// A 16- or 32-bit field at its maximum says the true value is in the zip64 records.
constexpr std::uint16_t kZip64Count = 0xFFFF;
constexpr std::uint32_t kZip64Value = 0xFFFFFFFF;
// zlib's window bits for deflate data with no zlib header or trailer, as zip holds it.
constexpr int kRawDeflate = -MAX_WBITS;

std::uint16_t Get16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t Get32(std::string_view bytes, std::size_t at) {
  return Get16(bytes, at) | static_cast<std::uint32_t>(Get16(bytes, at + 2)) << 16;
}

// True when [at, at + length) lies within `size` bytes, without overflow.
bool Within(std::uint64_t at, std::uint64_t length, std::size_t size) { return at <= size && length <= size - at; }

std::optional<std::string> Inflate(std::string_view data, std::uint32_t size, std::string& error) {
  z_stream stream{};
  if (inflateInit2(&stream, kRawDeflate) != Z_OK) {
    error = "zlib cannot start an inflate";
    return std::nullopt;
  }
  // One byte more than declared, so that data longer than its entry says shows as such.
  std::string out(static_cast<std::size_t>(size) + 1, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&stream, Z_FINISH);
  const std::size_t produced = out.size() - stream.avail_out;
  inflateEnd(&stream);
  if (result == Z_DATA_ERROR || result == Z_NEED_DICT || result == Z_MEM_ERROR || result == Z_STREAM_ERROR) {
    error = std::string("the deflated data is damaged (zlib: ") + (stream.msg ? stream.msg : "error") + ")";
    return std::nullopt;
  }
  if (produced > size) {
    error = "the entry inflates to more than its declared " + std::to_string(size) + " bytes";
    return std::nullopt;
  }
  if (result != Z_STREAM_END) {
    error = "the deflated data ends early (" + std::to_string(produced) + " of " + std::to_string(size) + " bytes)";
    return std::nullopt;
  }
  if (produced != size) {
    error = "the entry inflates to " + std::to_string(produced) + " bytes, not its declared " + std::to_string(size);
    return std::nullopt;
  }
  out.resize(produced);
  return out;
}

}  // namespace

ZipReader::ZipReader(std::string bytes) : m_bytes(std::move(bytes)) {
  m_error = ReadDirectory();
  if (!m_error.empty()) m_entries.clear();
}

ZipReader ZipReader::FromFile(const DiskPath& file) {
  // A path in messages as UTF-8, which holds any name.
  const std::optional<std::uint64_t> size = FileSize(file);
  std::optional<std::string> bytes;
  if (size && *size <= kMaxZipArchiveSize) bytes = ReadFileBytes(file, kMaxZipArchiveSize);
  if (bytes) return ZipReader(std::move(*bytes));
  ZipReader none{std::string()};
  none.m_error = !size ? "cannot open " + PathUtf8(file)
                       : *size > kMaxZipArchiveSize ? PathUtf8(file) + " is larger than an archive of reports may be"
                                                    : "cannot read " + PathUtf8(file);
  return none;
}

std::string ZipReader::ReadDirectory() {
  const std::string_view bytes = m_bytes;
  if (bytes.size() < kEndLength) return "not a zip archive: too short for its end record";
  // The end record is the last one whose comment reaches no further than the archive's end.
  std::size_t end = std::string_view::npos;
  const std::size_t lowest = bytes.size() > kEndLength + kMaxCommentLength ? bytes.size() - kEndLength - kMaxCommentLength : 0;
  for (std::size_t at = bytes.size() - kEndLength + 1; at-- > lowest;) {
    if (Get32(bytes, at) == kEndSignature && at + kEndLength + Get16(bytes, at + 20) <= bytes.size()) {
      end = at;
      break;
    }
  }
  if (end == std::string_view::npos) return "not a zip archive: no end record";
  const std::uint16_t disk = Get16(bytes, end + 4);
  const std::uint16_t directoryDisk = Get16(bytes, end + 6);
  const std::uint16_t onDisk = Get16(bytes, end + 8);
  const std::uint16_t count = Get16(bytes, end + 10);
  const std::uint32_t directorySize = Get32(bytes, end + 12);
  const std::uint32_t directoryAt = Get32(bytes, end + 16);
  if ((end >= kZip64LocatorLength && Get32(bytes, end - kZip64LocatorLength) == kZip64LocatorSignature) ||
      count == kZip64Count || onDisk == kZip64Count || directorySize == kZip64Value || directoryAt == kZip64Value) {
    return "a zip64 archive, which is not read";
  }
  if (disk != 0 || directoryDisk != 0 || onDisk != count) return "an archive split over several disks, which is not read";
  if (!Within(directoryAt, directorySize, end)) return "the central directory lies outside the archive";
  if (static_cast<std::uint64_t>(count) * kDirectoryLength > directorySize) {
    return "the central directory is too short for its " + std::to_string(count) + " entries";
  }

  const std::string_view directory = bytes.substr(directoryAt, directorySize);
  m_entries.reserve(count);
  std::size_t at = 0;
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::string which = "entry " + std::to_string(i + 1) + " of the central directory";
    if (!Within(at, kDirectoryLength, directory.size()) || Get32(directory, at) != kDirectorySignature) {
      return which + " is damaged";
    }
    ZipEntry entry;
    entry.flags = Get16(directory, at + 8);
    entry.method = Get16(directory, at + 10);
    entry.crc32 = Get32(directory, at + 16);
    entry.compressedSize = Get32(directory, at + 20);
    entry.size = Get32(directory, at + 24);
    const std::size_t nameLength = Get16(directory, at + 28);
    const std::size_t rest = nameLength + Get16(directory, at + 30) + Get16(directory, at + 32);
    const std::uint16_t startDisk = Get16(directory, at + 34);
    entry.localHeader = Get32(directory, at + 42);
    if (!Within(at + kDirectoryLength, rest, directory.size())) return which + " runs past the directory's end";
    entry.name = std::string(directory.substr(at + kDirectoryLength, nameLength));
    if (entry.compressedSize == kZip64Value || entry.size == kZip64Value || entry.localHeader == kZip64Value ||
        startDisk == kZip64Count) {
      return which + " (" + entry.name + ") needs zip64, which is not read";
    }
    m_entries.push_back(std::move(entry));
    at += kDirectoryLength + rest;
  }
  return {};
}

const ZipEntry* ZipReader::Find(std::string_view name) const {
  const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const ZipEntry& e) { return e.name == name; });
  return found == m_entries.end() ? nullptr : &*found;
}

std::optional<std::string> ZipReader::Read(const ZipEntry& entry, std::string& error) const {
  const std::string_view bytes = m_bytes;
  const std::string which = "the entry " + entry.name;
  if (!m_error.empty()) {
    error = m_error;
    return std::nullopt;
  }
  if (entry.flags & kFlagEncrypted) {
    error = which + " is encrypted, which is not read";
    return std::nullopt;
  }
  if (entry.method != kStored && entry.method != kDeflated) {
    error = which + " is compressed by method " + std::to_string(entry.method) + ", which is not read";
    return std::nullopt;
  }
  if (entry.size > kMaxZipEntrySize) {
    error = which + " declares " + std::to_string(entry.size) + " bytes, more than an entry of a report may hold";
    return std::nullopt;
  }
  if (!Within(entry.localHeader, kLocalLength, bytes.size()) || Get32(bytes, entry.localHeader) != kLocalSignature) {
    error = which + " has no local header where the directory says";
    return std::nullopt;
  }
  // The sizes are the directory's: the local header's may be zero, its data descriptor following.
  const std::uint64_t dataAt = std::uint64_t{entry.localHeader} + kLocalLength + Get16(bytes, entry.localHeader + 26) +
                               Get16(bytes, entry.localHeader + 28);
  if (!Within(dataAt, entry.compressedSize, bytes.size())) {
    error = which + "'s data runs past the archive's end";
    return std::nullopt;
  }
  const std::string_view data = bytes.substr(static_cast<std::size_t>(dataAt), entry.compressedSize);
  std::optional<std::string> content;
  if (entry.method == kStored) {
    if (entry.compressedSize != entry.size) {
      error = which + " is stored, yet its sizes differ (" + std::to_string(entry.compressedSize) + " and " +
              std::to_string(entry.size) + ")";
      return std::nullopt;
    }
    content = std::string(data);
  } else {
    std::string why;
    content = Inflate(data, entry.size, why);
    if (!content) {
      error = which + ": " + why;
      return std::nullopt;
    }
  }
  const std::uint32_t crc = static_cast<std::uint32_t>(
      crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(content->data()), static_cast<uInt>(content->size())));
  if (crc != entry.crc32) {
    error = which + " is damaged: its checksum does not match";
    return std::nullopt;
  }
  return content;
}

}  // namespace kit::fleet
