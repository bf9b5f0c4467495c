// Zip archives written byte by byte for the tests: stored or deflated entries with any name bytes
// and flags, as each tool writes them, and the places of their records so that a test can make
// any field lie.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kit::test {

inline void Put16(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}
inline void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
  Put16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
  Put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}
inline std::string Le16(std::uint16_t value) {
  std::string bytes(2, '\0');
  Put16(bytes, 0, value);
  return bytes;
}
inline std::string Le32(std::uint32_t value) {
  std::string bytes(4, '\0');
  Put32(bytes, 0, value);
  return bytes;
}

inline std::string RawDeflate(const std::string& data) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

struct ZipMember {
  std::string name;  // the bytes stored, as they are
  std::string data;
  bool deflated = false;
  std::uint16_t flags = 0;  // in both headers
};

struct MadeZip {
  std::string bytes;
  std::vector<std::size_t> local, central;  // each member's records
  std::size_t end = 0;                      // the end record
};

inline MadeZip MakeZip(const std::vector<ZipMember>& members) {
  MadeZip made;
  std::string directory;
  for (const ZipMember& member : members) {
    const std::string packed = member.deflated ? RawDeflate(member.data) : member.data;
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(member.data.data()), static_cast<uInt>(member.data.size())));
    const std::string common = Le16(member.deflated ? 8 : 0) + Le32(0) + Le32(crc) + Le32(static_cast<std::uint32_t>(packed.size())) +
                               Le32(static_cast<std::uint32_t>(member.data.size())) +
                               Le16(static_cast<std::uint16_t>(member.name.size())) + Le16(0);
    made.local.push_back(made.bytes.size());
    made.central.push_back(directory.size());
    directory += Le32(0x02014B50) + Le16(20) + Le16(20) + Le16(member.flags) + common + Le16(0) + Le16(0) + Le16(0) + Le32(0) +
                 Le32(static_cast<std::uint32_t>(made.bytes.size())) + member.name;
    made.bytes += Le32(0x04034B50) + Le16(20) + Le16(member.flags) + common + member.name + packed;
  }
  const auto directoryAt = static_cast<std::uint32_t>(made.bytes.size());
  for (std::size_t& at : made.central) at += directoryAt;
  made.bytes += directory;
  made.end = made.bytes.size();
  const auto count = static_cast<std::uint16_t>(members.size());
  made.bytes += Le32(0x06054B50) + Le16(0) + Le16(0) + Le16(count) + Le16(count) +
                Le32(static_cast<std::uint32_t>(directory.size())) + Le32(directoryAt) + Le16(0);
  return made;
}

}  // namespace kit::test
