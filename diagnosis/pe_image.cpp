// Portable. The file's layout: DOS header, "PE\0\0", file header, optional header (PE32 or PE32+)
// with its data directories, section table; directory entries are relative virtual addresses,
// mapped to file offsets through the sections. Lists are bounded per table and per file, so a
// looping or huge table in a damaged file ends the walk, and the walk stays linear in the bytes
// (every name read is at most 512 bytes; every address lookup is a search among sorted sections).
#include "diagnosis/pe_image.h"

#include "common/number_text.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <string_view>
#include <tuple>

namespace kit::diagnosis {
namespace {

constexpr std::size_t kMostEntries = 65536;  // per table, and exports per file: far beyond real files
// Per file, static and delayed together: without them a table of 65,536 libraries each naming one
// list of 65,536 functions would be four billion entries.
constexpr std::size_t kMostLibraries = 4096, kMostFunctions = 65536;
constexpr std::uint32_t kExportDirectory = 0, kImportDirectory = 1, kResourceDirectory = 2, kDelayDirectory = 13;
constexpr std::uint32_t kManifestType = 24, kVersionType = 16;
// CREATEPROCESS_MANIFEST_RESOURCE_ID, read when a program starts; ISOLATIONAWARE_MANIFEST_RESOURCE_ID,
// read when a library loads.
constexpr std::uint16_t kProgramManifest = 1, kLibraryManifest = 2;

class Reader {
public:
  explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

  template <typename T>
  std::optional<T> At(std::size_t offset) const {
    if (offset > m_bytes.size() || m_bytes.size() - offset < sizeof(T)) return std::nullopt;
    T value;
    std::memcpy(&value, m_bytes.data() + offset, sizeof(T));
    return value;
  }
  std::optional<std::uint16_t> U16(std::size_t offset) const { return At<std::uint16_t>(offset); }
  std::optional<std::uint32_t> U32(std::size_t offset) const { return At<std::uint32_t>(offset); }
  std::optional<std::uint64_t> U64(std::size_t offset) const { return At<std::uint64_t>(offset); }

  // A zero-terminated name of at most 512 characters.
  std::optional<std::string> Name(std::size_t offset) const {
    std::string name;
    for (std::size_t i = offset; i < m_bytes.size() && name.size() < 512; ++i) {
      if (m_bytes[i] == 0) return name;
      name += static_cast<char>(m_bytes[i]);
    }
    return std::nullopt;
  }
  std::span<const std::uint8_t> Bytes(std::size_t offset, std::size_t size) const {
    if (offset > m_bytes.size() || m_bytes.size() - offset < size) return {};
    return m_bytes.subspan(offset, size);
  }

private:
  std::span<const std::uint8_t> m_bytes;
};

struct Section {
  std::uint32_t address, size, fileOffset, fileSize;
  std::uint32_t Extent() const { return size > fileSize ? size : fileSize; }
};

class Image {
public:
  // The loader takes sections only in ascending, non-overlapping order; a file that breaks that is
  // searched as if sorted, so that 65,535 sections cost a few steps per lookup, not 65,535.
  Image(const Reader& reader, std::vector<Section> sections) : m_reader(reader), m_sections(std::move(sections)) {
    std::erase_if(m_sections, [](const Section& s) { return s.Extent() == 0; });
    std::stable_sort(m_sections.begin(), m_sections.end(),
                     [](const Section& a, const Section& b) { return a.address < b.address; });
  }

  // The file offset of a relative virtual address, if a section holds it.
  std::optional<std::size_t> Offset(std::uint32_t rva) const {
    const auto after = std::upper_bound(m_sections.begin(), m_sections.end(), rva,
                                        [](std::uint32_t at, const Section& s) { return at < s.address; });
    if (after == m_sections.begin()) return std::nullopt;
    const Section& s = *std::prev(after);
    const std::uint32_t into = rva - s.address;
    if (into >= s.Extent() || into >= s.fileSize) return std::nullopt;  // beyond it, or in memory only
    return static_cast<std::size_t>(s.fileOffset) + into;
  }
  template <typename T>
  std::optional<T> At(std::uint32_t rva) const {
    const auto offset = Offset(rva);
    return offset ? m_reader.At<T>(*offset) : std::nullopt;
  }
  std::optional<std::string> Name(std::uint32_t rva) const {
    const auto offset = Offset(rva);
    return offset ? m_reader.Name(*offset) : std::nullopt;
  }
  std::span<const std::uint8_t> Bytes(std::uint32_t rva, std::uint32_t size) const {
    const auto offset = Offset(rva);
    return offset ? m_reader.Bytes(*offset, size) : std::span<const std::uint8_t>();
  }

private:
  const Reader& m_reader;
  std::vector<Section> m_sections;
};

// What is left of the file's caps on imports. Every thunk entry read counts, named or not, so many
// libraries sharing one list of unreadable names cost no more than one list of readable ones.
struct ImportBudget {
  std::size_t functions = kMostFunctions;
  bool cut = false;
};

// The functions of one thunk table: 32- or 64-bit entries, the high bit marking a number.
std::vector<ImportedFunction> ReadThunks(const Image& image, std::uint32_t rva, bool wide, ImportBudget& budget) {
  std::vector<ImportedFunction> functions;
  for (std::size_t i = 0; rva != 0 && i < kMostEntries; ++i) {
    std::uint64_t entry = 0;
    bool byOrdinal = false;
    if (wide) {
      const auto value = image.At<std::uint64_t>(rva + static_cast<std::uint32_t>(i * 8));
      if (!value || *value == 0) break;
      entry = *value;
      byOrdinal = (entry >> 63) != 0;
    } else {
      const auto value = image.At<std::uint32_t>(rva + static_cast<std::uint32_t>(i * 4));
      if (!value || *value == 0) break;
      entry = *value;
      byOrdinal = (entry >> 31) != 0;
    }
    if (budget.functions == 0) {
      budget.cut = true;
      break;
    }
    --budget.functions;
    if (byOrdinal) {
      functions.push_back({{}, static_cast<std::uint16_t>(entry & 0xFFFF)});
    } else if (auto name = image.Name(static_cast<std::uint32_t>(entry & 0x7FFFFFFF) + 2)) {
      functions.push_back({std::move(*name), 0});
    }
  }
  return functions;
}

// Whether another library fits the file's cap; marks the imports cut when it does not.
bool RoomForLibrary(ImportBudget& budget, const PeImage& out) {
  if (out.imports.size() < kMostLibraries) return true;
  budget.cut = true;
  return false;
}

void ReadImports(const Image& image, std::uint32_t rva, std::size_t most, bool wide, ImportBudget& budget,
                 PeImage& out) {
  for (std::size_t i = 0; rva != 0 && i < most; ++i) {
    const std::uint32_t entry = rva + static_cast<std::uint32_t>(i * 20);
    const auto lookup = image.At<std::uint32_t>(entry), name = image.At<std::uint32_t>(entry + 12),
               thunks = image.At<std::uint32_t>(entry + 16);
    if (!lookup || !name || !thunks || (*name == 0 && *thunks == 0)) break;
    auto library = image.Name(*name);
    if (!library) break;  // no name where the table says: the rest is no table either
    if (!RoomForLibrary(budget, out)) break;
    out.imports.push_back({std::move(*library), false, ReadThunks(image, *lookup ? *lookup : *thunks, wide, budget)});
  }
}

void ReadDelayImports(const Image& image, std::uint32_t rva, std::size_t most, bool wide, ImportBudget& budget,
                      PeImage& out) {
  for (std::size_t i = 0; rva != 0 && i < most; ++i) {
    const std::uint32_t entry = rva + static_cast<std::uint32_t>(i * 32);
    const auto attributes = image.At<std::uint32_t>(entry), name = image.At<std::uint32_t>(entry + 4),
               names = image.At<std::uint32_t>(entry + 16);
    if (!attributes || !name || !names || *name == 0) break;
    auto library = image.Name(*name);
    if (!library) break;
    if (!RoomForLibrary(budget, out)) break;
    out.imports.push_back({std::move(*library), true, ReadThunks(image, *names, wide, budget)});
  }
}

// "LIBRARY.Function" or "LIBRARY.#12" split at its last dot, the library named as the loader asks for
// it ("LIBRARY.dll"); nothing when either part is missing.
std::optional<PeImage::Forwarder> ForwardTarget(std::string_view text) {
  const std::size_t dot = text.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == text.size()) return std::nullopt;
  PeImage::Forwarder target;
  target.library = std::string(text.substr(0, dot)) + ".dll";
  target.function = std::string(text.substr(dot + 1));
  return target;
}

// An address inside the export directory's own range is no code but the text of a forwarder.
void ReadExports(const Image& image, std::uint32_t rva, std::uint32_t size, PeImage& out) {
  if (rva == 0) return;
  const auto base = image.At<std::uint32_t>(rva + 16), functions = image.At<std::uint32_t>(rva + 20),
             names = image.At<std::uint32_t>(rva + 24), addresses = image.At<std::uint32_t>(rva + 28),
             nameTable = image.At<std::uint32_t>(rva + 32), nameOrdinals = image.At<std::uint32_t>(rva + 36);
  if (!base || !functions || !names || !addresses || !nameTable) return;
  const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::size_t>(*functions, kMostEntries));
  auto ordinal = [&](std::uint32_t index) { return static_cast<std::uint16_t>(*base + index); };
  std::vector<PeImage::Forwarder> targets;
  std::vector<std::int32_t> targetOf(count, -1);  // index in `targets` of each forwarded function
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto address = image.At<std::uint32_t>(*addresses + i * 4);
    if (!address || *address == 0) continue;
    out.exportOrdinals.push_back(ordinal(i));
    if (*address < rva || *address - rva >= size) continue;
    const auto text = image.Name(*address);
    auto target = text ? ForwardTarget(*text) : std::nullopt;
    if (!target) continue;
    target->ordinal = ordinal(i);
    targetOf[i] = static_cast<std::int32_t>(targets.size());
    targets.push_back(std::move(*target));
  }
  std::vector<bool> named(count, false);
  for (std::uint32_t i = 0; i < *names && i < kMostEntries; ++i) {
    const auto nameRva = image.At<std::uint32_t>(*nameTable + i * 4);
    if (!nameRva) break;
    auto name = image.Name(*nameRva);
    if (!name) continue;
    const auto index = nameOrdinals ? image.At<std::uint16_t>(*nameOrdinals + i * 2) : std::nullopt;
    if (index && *index < count && targetOf[*index] >= 0 && out.forwarders.size() < kMostEntries) {
      PeImage::Forwarder forwarder = targets[targetOf[*index]];
      forwarder.name = *name;
      out.forwarders.push_back(std::move(forwarder));
      named[*index] = true;
    }
    out.exportNames.push_back(std::move(*name));
  }
  for (std::uint32_t i = 0; i < count && out.forwarders.size() < kMostEntries; ++i) {
    if (targetOf[i] >= 0 && !named[i]) out.forwarders.push_back(std::move(targets[targetOf[i]]));
  }
  std::sort(out.forwarders.begin(), out.forwarders.end(), [](const auto& a, const auto& b) {
    return std::tie(a.name, a.ordinal) < std::tie(b.name, b.ordinal);
  });
}

// The data of a resource of `type`: the one of `id` when given, else its first name or id; its
// first language.
std::span<const std::uint8_t> Resource(const Image& image, std::uint32_t root, std::uint32_t type,
                                       std::optional<std::uint16_t> id = std::nullopt) {
  std::uint32_t directory = root;
  for (int level = 0; level < 3; ++level) {
    const auto named = image.At<std::uint16_t>(directory + 12), ids = image.At<std::uint16_t>(directory + 14);
    if (!named || !ids) return {};
    const std::uint32_t count = static_cast<std::uint32_t>(*named) + *ids;
    std::optional<std::uint32_t> chosen;
    for (std::uint32_t i = 0; i < count && i < kMostEntries; ++i) {
      const std::uint32_t entry = directory + 16 + i * 8;
      const auto key = image.At<std::uint32_t>(entry), target = image.At<std::uint32_t>(entry + 4);
      if (!key || !target) return {};
      // A name's key has its high bit set, so it never equals a type or an id.
      if (level == 0 && *key != type) continue;
      if (level == 1 && id && *key != *id) continue;
      chosen = *target;
      break;
    }
    if (!chosen) return {};
    const bool isDirectory = (*chosen & 0x80000000u) != 0;
    const std::uint32_t next = root + (*chosen & 0x7FFFFFFFu);
    if (level < 2) {
      if (!isDirectory) return {};
      directory = next;
    } else {
      if (isDirectory) return {};
      const auto dataRva = image.At<std::uint32_t>(next), size = image.At<std::uint32_t>(next + 4);
      if (!dataRva || !size) return {};
      return image.Bytes(*dataRva, *size);
    }
  }
  return {};
}

void ReadVersion(std::span<const std::uint8_t> resource, PeImage& out) {
  // VS_FIXEDFILEINFO starts with its signature; the file version follows as two 32-bit halves.
  constexpr std::uint8_t kSignature[] = {0xBD, 0x04, 0xEF, 0xFE};
  for (std::size_t i = 0; i + 16 <= resource.size(); i += 4) {
    if (std::memcmp(resource.data() + i, kSignature, 4) != 0) continue;
    std::uint32_t high, low;
    std::memcpy(&high, resource.data() + i + 8, 4);
    std::memcpy(&low, resource.data() + i + 12, 4);
    out.version[0] = static_cast<std::uint16_t>(high >> 16);
    out.version[1] = static_cast<std::uint16_t>(high & 0xFFFF);
    out.version[2] = static_cast<std::uint16_t>(low >> 16);
    out.version[3] = static_cast<std::uint16_t>(low & 0xFFFF);
    out.hasVersion = true;
    return;
  }
}

}  // namespace

PeImage ReadPeImage(std::span<const std::uint8_t> bytes) {
  PeImage out;
  if (bytes.empty()) {
    out.error = "an empty file (0 bytes)";
    return out;
  }
  const Reader reader(bytes);
  const auto mz = reader.U16(0);
  const auto peOffset = reader.U32(0x3C);
  if (!mz || *mz != 0x5A4D || !peOffset) {
    out.error = "not a program file (no MZ header)";
    return out;
  }
  const auto signature = reader.U32(*peOffset);
  if (!signature || *signature != 0x00004550) {
    out.error = "not a Windows program file (no PE header)";
    return out;
  }
  const std::size_t fileHeader = static_cast<std::size_t>(*peOffset) + 4;
  const auto machine = reader.U16(fileHeader), sectionCount = reader.U16(fileHeader + 2),
             optionalSize = reader.U16(fileHeader + 16), characteristics = reader.U16(fileHeader + 18);
  const std::size_t optional = fileHeader + 20;
  const auto magic = reader.U16(optional);
  if (!machine || !sectionCount || !optionalSize || !characteristics || !magic) {
    out.error = "a damaged program file (its headers are cut short)";
    return out;
  }
  out.machineCode = *machine;
  out.machine = *machine == 0x014C ? PeMachine::I386 : *machine == 0x8664 ? PeMachine::Amd64 : PeMachine::Other;
  out.isDll = (*characteristics & 0x2000) != 0;
  const bool wide = *magic == 0x20B;
  if (!wide && *magic != 0x10B) {
    out.error = "a damaged program file (unknown optional header)";
    return out;
  }
  const std::size_t directories = optional + (wide ? 112 : 96);
  const auto directoryCount = reader.U32(optional + (wide ? 108 : 92));
  auto directory = [&](std::uint32_t index) -> std::uint32_t {
    if (!directoryCount || index >= *directoryCount) return 0;
    return reader.U32(directories + index * 8).value_or(0);
  };
  auto directorySize = [&](std::uint32_t index) -> std::uint32_t {
    if (!directoryCount || index >= *directoryCount) return 0;
    return reader.U32(directories + index * 8 + 4).value_or(0);
  };
  // How many entries of `entrySize` a directory's size allows (its zero entry ends it sooner).
  auto entries = [&](std::uint32_t index, std::size_t entrySize) -> std::size_t {
    const std::uint32_t size = directorySize(index);
    return size == 0 ? kMostEntries : std::min<std::size_t>(size / entrySize, kMostEntries);
  };
  std::vector<Section> sections;
  std::uint64_t needed = 0;  // where the last section's raw data ends
  const std::size_t table = optional + *optionalSize;
  for (std::uint16_t i = 0; i < *sectionCount; ++i) {
    const std::size_t at = table + i * 40u;
    const auto size = reader.U32(at + 8), address = reader.U32(at + 12), fileSize = reader.U32(at + 16),
               fileOffset = reader.U32(at + 20);
    if (!size || !address || !fileSize || !fileOffset) {
      out.error = "a damaged program file (its section table is cut short)";
      return out;
    }
    sections.push_back({*address, *size, *fileOffset, *fileSize});
    if (*fileSize != 0) needed = std::max(needed, std::uint64_t{*fileOffset} + *fileSize);
  }
  // A copy or download that stopped early: the loader refuses what it cannot map from the file.
  if (needed > bytes.size()) {
    out.error = "a damaged program file (cut short: " + std::to_string(bytes.size()) + " bytes, its sections need " +
                std::to_string(needed) + ")";
    return out;
  }
  const Image image(reader, std::move(sections));
  ImportBudget budget;
  ReadImports(image, directory(kImportDirectory), entries(kImportDirectory, 20), wide, budget, out);
  ReadDelayImports(image, directory(kDelayDirectory), entries(kDelayDirectory, 32), wide, budget, out);
  out.importsCut = budget.cut;
  ReadExports(image, directory(kExportDirectory), directorySize(kExportDirectory), out);
  if (const std::uint32_t resources = directory(kResourceDirectory)) {
    const std::uint16_t id = out.isDll ? kLibraryManifest : kProgramManifest;
    const auto manifest = Resource(image, resources, kManifestType, id);
    out.manifest.assign(manifest.begin(), manifest.end());
    out.manifestId = manifest.empty() ? 0 : id;
    ReadVersion(Resource(image, resources, kVersionType), out);
  }
  return out;
}

const PeImage::Forwarder* ForwarderOf(const PeImage& image, const ImportedFunction& function) {
  const auto& all = image.forwarders;
  if (function.name.empty()) {
    const auto found = std::find_if(all.begin(), all.end(),
                                    [&](const PeImage::Forwarder& f) { return f.ordinal == function.ordinal; });
    return found == all.end() ? nullptr : &*found;
  }
  const auto byName = [](const PeImage::Forwarder& f, const std::string& name) { return f.name < name; };
  const auto found = std::lower_bound(all.begin(), all.end(), function.name, byName);
  return found != all.end() && found->name == function.name ? &*found : nullptr;
}

std::wstring MachineText(const PeImage& image) {
  switch (image.machine) {
    case PeMachine::I386: return L"32-bit";
    case PeMachine::Amd64: return L"64-bit";
    case PeMachine::Other: break;
  }
  return L"for another machine (0x" + Hex(image.machineCode, 4) + L")";
}

}  // namespace kit::diagnosis
