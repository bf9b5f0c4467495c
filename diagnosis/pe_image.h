// Portable. What a program file says of itself, read from its bytes without loading it: the machine
// it is built for, the libraries and functions it imports (at load and delayed), the functions it
// exports and those it forwards to another library, the manifest the loader would use and its
// version. Every offset is checked against the file: a damaged or hostile file gives a reason, never
// a read outside the bytes, and its tables are read only up to fixed caps.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kit::diagnosis {

enum class PeMachine { I386, Amd64, Other };

struct ImportedFunction {
  std::string name;            // empty when imported by number
  std::uint16_t ordinal = 0;   // the number, when imported by number
};

struct ImportedLibrary {
  std::string name;            // as the file names it ("KERNEL32.dll")
  bool delayed = false;        // loaded on first call, not at load
  std::vector<ImportedFunction> functions;
};

struct PeImage {
  // An export the loader resolves in another library ("NTDLL.RtlAllocateHeap", "LIBRARY.#12").
  struct Forwarder {
    std::string name;           // the exported name; empty for an export by number only
    std::uint16_t ordinal = 0;  // its number
    std::string library;        // the library it forwards to, as the loader asks for it: "NTDLL.dll"
    std::string function;       // "RtlAllocateHeap", or "#12" for a function by number
  };

  std::string error;           // empty when the file is a readable program file
  PeMachine machine = PeMachine::Other;
  std::uint16_t machineCode = 0;
  bool isDll = false;
  std::vector<ImportedLibrary> imports;  // at most 4,096 libraries, 65,536 functions in all
  bool importsCut = false;     // the file imports more than those caps: `imports` is its beginning
  std::vector<std::string> exportNames;       // every exported name, forwarded ones included
  std::vector<std::uint16_t> exportOrdinals;  // the numbers of every exported function
  // One entry per exported name of a forwarded function (one nameless entry when it has none),
  // sorted by name, then number. A text without a dot between two non-empty parts is no forwarder.
  std::vector<Forwarder> forwarders;
  // The manifest the loader uses: resource type 24, id 1 for a program, id 2 for a library (a
  // library's id 1 is not read at its load), first language. Empty with manifestId 0 when none.
  std::string manifest;
  std::uint16_t manifestId = 0;
  std::uint16_t version[4] = {};  // from the first version resource; all zero when there is none
  bool hasVersion = false;
};

// The file's bytes as they lie on disk.
PeImage ReadPeImage(std::span<const std::uint8_t> bytes);

// Where `image` forwards `function` (looked up by name when it has one, else by number); null when
// the image exports it itself or not at all. By name it is a binary search; by number, a pass over
// the forwarders.
const PeImage::Forwarder* ForwarderOf(const PeImage& image, const ImportedFunction& function);

// "32-bit", "64-bit" or "for another machine (0x...)".
std::wstring MachineText(const PeImage& image);

}  // namespace kit::diagnosis
