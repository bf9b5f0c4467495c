// Portable. machine.txt, the record a survey leaves beside its CSV of the machine it ran on: UTF-8
// lines "key=value" in a fixed order, read back by whoever merges the reports of many machines.
// The key ends at the first '=', so a value may hold one; a value never holds a line break.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kit::report {

// Every field UTF-8; empty when the machine did not tell it (or the file did not hold it).
struct MachineRecord {
  std::string machine;       // the computer name
  std::string windows;       // the report heading's words: "64-bit Windows 10.0 build 19045"
  std::string build;         // "19045"
  std::string architecture;  // the machine's own, not the survey's: "x86", "x64", "ARM64"
  std::string surveyed;      // local time the survey began, "2026-12-09T14:03:00"
  std::string kit;           // the kit's version, as its programs' version resources give it

  bool operator==(const MachineRecord&) const = default;
};

inline constexpr char kMachineRecordFile[] = "machine.txt";

// The file's bytes: every key in order, CRLF line ends, no byte-order mark. Line breaks and other
// control characters inside a value become spaces.
std::string FormatMachineRecord(const MachineRecord& record);

// Tolerant of a byte-order mark, CRLF or LF, keys in any order, unknown keys and lines (a later
// kit may add some) and missing keys (left empty); the first of a repeated key holds. Nothing when
// the text holds none of the record's keys: it is no machine record.
std::optional<MachineRecord> ParseMachineRecord(std::string_view text);

}  // namespace kit::report
